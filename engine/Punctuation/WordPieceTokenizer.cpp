#include "Punctuation/WordPieceTokenizer.h"

#include "Core/UnicodeText.h"
#include "Punctuation/OnnxError.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace {

std::u32string scalars(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

// Calls `visit` with every scalar of the text; a lone surrogate comes through as itself.
template <typename Visit>
void forEachScalar(const QString& text, Visit visit)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(unit, text.at(i + 1)));
            ++i;
        } else {
            visit(char32_t(unit.unicode()));
        }
    }
}

void append(QString& text, char32_t scalar)
{
    if (QChar::requiresSurrogates(scalar)) {
        text.append(QChar(QChar::highSurrogate(scalar)));
        text.append(QChar(QChar::lowSurrogate(scalar)));
    } else {
        text.append(QChar(char16_t(scalar)));
    }
}

bool isIdeograph(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x20000 && c <= 0x2A6DF)
           || (c >= 0x2A700 && c <= 0x2B81F) || (c >= 0x2B920 && c <= 0x2CEAF) || (c >= 0xF900 && c <= 0xFAFF)
           || (c >= 0x2F800 && c <= 0x2FA1F);
}

// The tokenizer splits at every printable ASCII character that isn't a letter or a digit ("$",
// "+", "^" ... are symbols to Unicode), and at Unicode punctuation.
bool splitsAsPunctuation(char32_t c)
{
    if ((c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126))
        return true;
    return isPunctuation(c);
}

// Clean text and pad ideographs, then strip accents (NFD without nonspacing marks), then lower
// case with the full, locale-independent mapping.
QString normalize(const QString& text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    forEachScalar(text, [&](char32_t c) {
        if (c == 0x09 || c == 0x0A || c == 0x0D) {
            cleaned.append(QLatin1Char(' '));
            return;
        }
        if (c == 0 || c == 0xFFFD)
            return;
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_PrivateUse:
        case QChar::Other_NotAssigned:
            return;
        default:
            break;
        }
        if (QChar::isSpace(c)) {  // the White_Space property
            cleaned.append(QLatin1Char(' '));
        } else if (isIdeograph(c)) {
            cleaned.append(QLatin1Char(' '));
            append(cleaned, c);
            cleaned.append(QLatin1Char(' '));
        } else {
            append(cleaned, c);
        }
    });

    const QString decomposed = cleaned.normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    forEachScalar(decomposed, [&](char32_t c) {
        if (QChar::category(c) != QChar::Mark_NonSpacing)
            append(stripped, c);
    });
    return stripped.toLower();
}

std::vector<std::u32string> preTokenize(const QString& normalized)
{
    std::vector<std::u32string> words;
    std::u32string current;
    forEachScalar(normalized, [&](char32_t c) {
        if (QChar::isSpace(c) || splitsAsPunctuation(c)) {
            if (!current.empty())
                words.push_back(std::move(current));
            current.clear();
            if (!QChar::isSpace(c))
                words.emplace_back(1, c);
        } else {
            current.push_back(c);
        }
    });
    if (!current.empty())
        words.push_back(std::move(current));
    return words;
}

// How normalisation treats a scalar of the Basic Multilingual Plane on its own.
enum class Scalar : uint8_t {
    kept,  // every pass leaves it as it is, and it neither ends a word nor stands alone
    dropped,  // cleaning or accent stripping removes it, whatever surrounds it
    other,  // anything else: the word takes the full normalisation
};

Scalar classify(char32_t c)
{
    if (c == 0x09 || c == 0x0A || c == 0x0D || QChar::isSurrogate(c))
        return Scalar::other;
    const bool decomposes = QChar::decompositionTag(c) == QChar::Canonical || (c >= 0xAC00 && c <= 0xD7A3);
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return Scalar::dropped;
    case QChar::Mark_NonSpacing:
        return decomposes ? Scalar::other : Scalar::dropped;
    default:
        break;
    }
    if (c == 0xFFFD)
        return Scalar::dropped;
    if (QChar::isSpace(c) || isIdeograph(c) || splitsAsPunctuation(c) || decomposes || QChar::combiningClass(c) != 0
        || QChar::toLower(c) != c)
        return Scalar::other;
    return Scalar::kept;
}

const std::array<Scalar, 0x10000>& scalarClasses()
{
    static const auto table = [] {
        auto classes = std::make_unique<std::array<Scalar, 0x10000>>();
        for (char32_t c = 0; c < 0x10000; ++c)
            (*classes)[c] = classify(c);
        return classes;
    }();
    return *table;
}

// A JSON number without a fractional part.
std::optional<double> integer(const QJsonValue& value)
{
    if (!value.isDouble() || std::trunc(value.toDouble()) != value.toDouble())
        return std::nullopt;
    return value.toDouble();
}
}

WordPieceTokenizer::WordPieceTokenizer(const QString& filePath)
{
    const QString name = QFileInfo(filePath).fileName();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(name + QStringLiteral(": ") + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(name + QStringLiteral(": ") + file.errorString());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw Error(name + QStringLiteral(": ") + parseError.errorString());

    const OnnxError notWordPiece(name + QStringLiteral(" isn't a WordPiece tokenizer"));
    const OnnxError unsupported(name + QStringLiteral(": unsupported normalizer or pre-tokenizer"));

    if (!document.isObject())
        throw notWordPiece;
    const QJsonObject top = document.object();
    if (!top.value(QLatin1String("model")).isObject())
        throw notWordPiece;
    const QJsonObject model = top.value(QLatin1String("model")).toObject();
    if (model.value(QLatin1String("type")) != QJsonValue(QLatin1String("WordPiece")))
        throw notWordPiece;
    if (!model.value(QLatin1String("vocab")).isObject())
        throw notWordPiece;
    const QJsonObject vocab = model.value(QLatin1String("vocab")).toObject();
    vocab_.reserve(size_t(vocab.size()));
    for (auto entry = vocab.begin(); entry != vocab.end(); ++entry) {
        const std::optional<double> id = integer(entry.value());
        // Ids are 32-bit; a vocabulary beyond that is not one we can run.
        if (!id || *id < std::numeric_limits<int32_t>::min() || *id > std::numeric_limits<int32_t>::max())
            throw notWordPiece;
        vocab_.emplace(scalars(entry.key()), static_cast<int32_t>(*id));
    }

    if (!top.value(QLatin1String("normalizer")).isObject())
        throw unsupported;
    const QJsonObject normalizer = top.value(QLatin1String("normalizer")).toObject();
    const QJsonValue isTrue(true);
    if (normalizer.value(QLatin1String("type")) != QJsonValue(QLatin1String("BertNormalizer"))
        || normalizer.value(QLatin1String("lowercase")) != isTrue
        || normalizer.value(QLatin1String("clean_text")) != isTrue
        || normalizer.value(QLatin1String("handle_chinese_chars")) != isTrue)
        throw unsupported;
    const QJsonValue stripAccents = normalizer.value(QLatin1String("strip_accents"));
    if (!(stripAccents.isNull() || stripAccents == isTrue))  // a missing key reads as undefined
        throw unsupported;
    if (!top.value(QLatin1String("pre_tokenizer")).isObject()
        || top.value(QLatin1String("pre_tokenizer")).toObject().value(QLatin1String("type"))
               != QJsonValue(QLatin1String("BertPreTokenizer")))
        throw unsupported;

    const QJsonValue unkToken = model.value(QLatin1String("unk_token"));
    const QString unkText = unkToken.isString() ? unkToken.toString() : QStringLiteral("[UNK]");
    const auto unk = vocab_.find(scalars(unkText));
    const auto cls = vocab_.find(U"[CLS]");
    const auto sep = vocab_.find(U"[SEP]");
    if (unk == vocab_.end() || cls == vocab_.end() || sep == vocab_.end())
        throw OnnxError(name + QStringLiteral(": special tokens missing"));
    unk_ = unk->second;
    cls_ = cls->second;
    sep_ = sep->second;

    const QJsonValue prefix = model.value(QLatin1String("continuing_subword_prefix"));
    prefix_ = scalars(prefix.isString() ? prefix.toString() : QStringLiteral("##"));
    const std::optional<double> maxChars = integer(model.value(QLatin1String("max_input_chars_per_word")));
    maxChars_ = maxChars ? int(std::clamp<double>(*maxChars, -1, std::numeric_limits<int>::max())) : 100;
}

QString WordPieceTokenizer::prefix() const
{
    return QString::fromUcs4(prefix_.data(), qsizetype(prefix_.size()));
}

std::vector<int32_t> WordPieceTokenizer::pieces(QStringView word) const
{
    std::vector<int32_t> ids;
    appendPieces(word, ids);
    return ids;
}

void WordPieceTokenizer::appendPieces(QStringView word, std::vector<int32_t>& ids) const
{
    // Most dictated words are letters that normalising would keep as they are, perhaps with a
    // half-space or a short vowel that it would drop: those skip the full normalisation.
    const std::array<Scalar, 0x10000>& classes = scalarClasses();
    QVarLengthArray<char32_t, 64> scalars;
    for (const QChar unit : word) {
        switch (classes[unit.unicode()]) {
        case Scalar::kept:
            scalars.push_back(unit.unicode());
            break;
        case Scalar::dropped:
            break;
        case Scalar::other:
            for (const std::u32string& part : preTokenize(normalize(word.toString())))
                wordPiece(part, ids);
            return;
        }
    }
    if (!scalars.empty())
        wordPiece(std::u32string_view(scalars.data(), size_t(scalars.size())), ids);
}

WordPieceTokenizer::Encoding WordPieceTokenizer::encode(const QStringList& words) const
{
    Encoding encoding;
    encoding.ids.push_back(cls_);
    encoding.wordIds.push_back(-1);
    for (qsizetype index = 0; index < words.size(); ++index) {
        appendPieces(words[index], encoding.ids);
        encoding.wordIds.resize(encoding.ids.size(), int(index));
    }
    encoding.ids.push_back(sep_);
    encoding.wordIds.push_back(-1);
    return encoding;
}

// Longest match first from each position; a word that can't be covered entirely is one unknown.
void WordPieceTokenizer::wordPiece(std::u32string_view word, std::vector<int32_t>& ids) const
{
    if (maxChars_ < 0 || word.size() > size_t(maxChars_)) {
        ids.push_back(unk_);
        return;
    }
    const size_t first = ids.size();
    QVarLengthArray<char32_t, 64> continuation;
    size_t start = 0;
    while (start < word.size()) {
        bool found = false;
        for (size_t end = word.size(); end > start; --end) {
            std::u32string_view candidate = word.substr(start, end - start);
            if (start > 0) {
                continuation.clear();
                continuation.append(prefix_.data(), qsizetype(prefix_.size()));
                continuation.append(candidate.data(), qsizetype(candidate.size()));
                candidate = std::u32string_view(continuation.data(), size_t(continuation.size()));
            }
            const auto entry = vocab_.find(candidate);
            if (entry != vocab_.end()) {
                ids.push_back(entry->second);
                start = end;
                found = true;
                break;
            }
        }
        if (!found) {
            ids.resize(first);
            ids.push_back(unk_);
            return;
        }
    }
}
