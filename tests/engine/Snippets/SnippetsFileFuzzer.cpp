// Any bytes in "snippets.json" either decode or are refused; a file that decodes survives an
// encoding round trip, loads, and expands transcripts without fault.

#include "Snippets/SnippetStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto snippets = SnippetStore::decodeFile(bytes);
    if (!snippets)
        return 0;
    const auto again = SnippetStore::decodeFile(SnippetStore::encodeFile(*snippets));
    if (!again || *again != *snippets)
        __builtin_trap();

    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("snippets.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    const SnippetStore store(path);
    for (const Snippet& snippet : store.entries()) {
        store.expand(snippet.text + u' ' + snippet.trigger + u' ' + snippet.text);
        store.match(snippet.trigger);
    }
    store.expand(QString::fromUtf8(bytes));
    return 0;
}
