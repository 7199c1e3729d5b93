// Any bytes in "history.json" either decode or are refused; what decodes survives a round trip
// and can be searched.

#include "History/HistoryStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto entries = HistoryStore::decodeFile(bytes);
    if (!entries)
        return 0;
    if (HistoryStore::decodeFile(HistoryStore::encodeFile(*entries)) != entries)
        __builtin_trap();

    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("history.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    const HistoryStore store(path);
    for (const HistoryEntry& entry : store.entries()) {
        store.search(entry.raw, entry.appCategory());
        entry.wordCount();
    }
    return 0;
}
