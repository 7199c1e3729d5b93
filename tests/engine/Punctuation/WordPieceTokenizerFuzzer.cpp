// Dictated text is any Unicode: the tokenizer must never crash on it, and a word that takes the
// short way must come out exactly as the full normalisation gives it. A trailing tab forces the
// full normalisation and changes nothing else, so the two calls must agree.

#include "Punctuation/WordPieceTokenizer.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray jsonString(const QString& text)
{
    QByteArray quoted = "\"";
    for (const QChar unit : text) {
        if (unit == u'"' || unit == u'\\')
            quoted += '\\';
        if (unit.unicode() < 0x20)
            quoted += QByteArray("\\u00") + QByteArray::number(unit.unicode(), 16).rightJustified(2, '0');
        else
            quoted += QString(unit).toUtf8();
    }
    return quoted + '"';
}

// A vocabulary with every scalar of the Basic Multilingual Plane as a word start and as a
// continuation, so any change normalisation makes shows in the ids. Written as text: building
// an object of this size key by key takes far too long.
WordPieceTokenizer makeTokenizer()
{
    QByteArray vocab = R"("[UNK]": 0, "[CLS]": 1, "[SEP]": 2)";
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString scalar = QChar(char16_t(c));
        vocab += ", " + jsonString(scalar) + ": " + QByteArray::number(int(c) * 2 + 10);
        vocab += ", " + jsonString(QStringLiteral("##") + scalar) + ": " + QByteArray::number(int(c) * 2 + 11);
    }
    const QByteArray description = R"({"normalizer": {"type": "BertNormalizer", "lowercase": true, "clean_text": true,)"
                                   R"( "handle_chinese_chars": true, "strip_accents": null},)"
                                   R"( "pre_tokenizer": {"type": "BertPreTokenizer"},)"
                                   R"( "model": {"type": "WordPiece", "max_input_chars_per_word": 12, "vocab": {)"
                                   + vocab + "}}}";
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("tokenizer.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(description) < 0)
        __builtin_trap();
    file.close();
    return WordPieceTokenizer(file.fileName());
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const WordPieceTokenizer tokenizer = makeTokenizer();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (tokenizer.pieces(text) != tokenizer.pieces(text + u'\t'))
        __builtin_trap();
    return 0;
}
