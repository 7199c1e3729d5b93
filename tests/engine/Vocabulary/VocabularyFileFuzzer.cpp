// Any bytes in "vocabulary.json" either decode or are refused; what decodes survives a round
// trip and builds its written forms.

#include "Vocabulary/VocabularyStore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto entries = VocabularyStore::decodeFile(bytes);
    if (!entries)
        return 0;
    if (VocabularyStore::decodeFile(VocabularyStore::encodeFile(*entries)) != entries)
        __builtin_trap();
    QStringList texts;
    for (const VocabularyEntry& entry : *entries)
        texts.append(entry.text);
    WrittenForms(texts).apply(texts.join(u' '));
    return 0;
}
