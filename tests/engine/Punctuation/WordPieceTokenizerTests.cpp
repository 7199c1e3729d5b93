// The tokenizer with the synthetic vocabulary of make_test_models.py: what it accepts, and how
// Persian and English words turn into pieces.

#include "Punctuation/OnnxError.h"
#include "Punctuation/WordPieceTokenizer.h"
#include "PunctuationFolders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

using testing::ElementsAre;
using Edit = std::function<void(QJsonObject&)>;

namespace {

// Ids of the synthetic vocabulary.
constexpr int32_t unk = 0, cls = 1, sep = 2, hello = 13, comma = 14, world = 21, pluralS = 22, a = 23, moreA = 24;

WordPieceTokenizer testTokenizerWith(const Edit& edit = {})
{
    PunctuationFolder folder(QStringLiteral("model.onnx"), edit);
    return WordPieceTokenizer(folder.tokenizerPath());
}

// The text of the OnnxError that loading `path` throws, or "" when it loads.
std::string loadError(const QString& path)
{
    try {
        WordPieceTokenizer tokenizer(path);
    } catch (const OnnxError& error) {
        return error.description().toStdString();
    }
    return {};
}

std::string loadError(const Edit& edit)
{
    PunctuationFolder folder(QStringLiteral("model.onnx"), edit);
    return loadError(folder.tokenizerPath());
}

// Sets (or, with an undefined value, removes) one key of the top level or of one of its objects.
Edit setting(const QString& object, const QString& key, const QJsonValue& value)
{
    return [=](QJsonObject& top) {
        QJsonObject inner = object.isEmpty() ? top : top[object].toObject();
        if (value.isUndefined())
            inner.remove(key);
        else
            inner[key] = value;
        if (object.isEmpty())
            top = inner;
        else
            top[object] = inner;
    };
}

Edit vocabEntry(const QString& token, const QJsonValue& id)
{
    return [=](QJsonObject& top) {
        QJsonObject vocab = top["model"].toObject()["vocab"].toObject();
        if (id.isUndefined())
            vocab.remove(token);
        else
            vocab[token] = id;
        setting("model", "vocab", vocab)(top);
    };
}

Edit both(const Edit& first, const Edit& second)
{
    return [=](QJsonObject& top) {
        first(top);
        second(top);
    };
}

}

TEST(WordPieceTokenizer, RefusesOtherPipelinesInTheOrderOfItsChecks)
{
    const std::string notWordPiece = "tokenizer.json isn't a WordPiece tokenizer";
    const std::string unsupported = "tokenizer.json: unsupported normalizer or pre-tokenizer";
    const std::string specials = "tokenizer.json: special tokens missing";
    const QString norm = QStringLiteral("normalizer");
    const std::pair<Edit, std::string> cases[] = {
        // The model is checked before the normaliser, so an unsupported normaliser doesn't decide.
        {both(setting("model", "type", "BPE"), setting(norm, "type", "NFC")), notWordPiece},
        {setting({}, "model", QJsonArray()), notWordPiece},
        {setting("model", "vocab", QJsonArray()), notWordPiece},
        {vocabEntry("x", "5"), notWordPiece},
        {vocabEntry("x", 3.5), notWordPiece},
        {vocabEntry("x", 4294967296.0), notWordPiece},
        {setting({}, norm, "BertNormalizer"), unsupported},
        {setting(norm, "type", "Lowercase"), unsupported},
        {setting(norm, "lowercase", false), unsupported},
        {setting(norm, "clean_text", QJsonValue::Undefined), unsupported},
        {setting(norm, "handle_chinese_chars", false), unsupported},
        {setting(norm, "strip_accents", false), unsupported},
        {setting(norm, "strip_accents", QJsonValue::Undefined), unsupported},
        {setting(norm, "strip_accents", true), ""},
        {setting("pre_tokenizer", "type", "Whitespace"), unsupported},
        {setting({}, "pre_tokenizer", QJsonValue::Null), unsupported},
        {vocabEntry("[SEP]", QJsonValue::Undefined), specials},
        {setting("model", "unk_token", "<unk>"), specials},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(loadError(cases[i].first), cases[i].second) << "case " << i;
}

TEST(WordPieceTokenizer, FallsBackToTheUsualPrefixLimitAndUnknownTokenOrHonoursOthers)
{
    const WordPieceTokenizer usual = testTokenizerWith([](QJsonObject& top) {
        setting("model", "continuing_subword_prefix", QJsonValue::Undefined)(top);
        setting("model", "max_input_chars_per_word", "12")(top);
        setting("model", "unk_token", QJsonValue::Undefined)(top);
    });
    EXPECT_THAT(usual.pieces(QStringLiteral("Worlds")), ElementsAre(world, pluralS));
    EXPECT_EQ(usual.pieces(QString(100, u'a')).size(), 100u);
    EXPECT_THAT(usual.pieces(QStringLiteral("hellox")), ElementsAre(unk));

    const WordPieceTokenizer other = testTokenizerWith([](QJsonObject& top) {
        vocabEntry("@@s", 30)(top);
        vocabEntry("\U0001F600", 40)(top);
        vocabEntry("@@\U0001F600", 41)(top);
        setting("model", "continuing_subword_prefix", "@@")(top);
        setting("model", "max_input_chars_per_word", 5)(top);
    });
    EXPECT_THAT(other.pieces(QStringLiteral("worlds")), ElementsAre(unk));  // six scalars
    EXPECT_THAT(other.pieces(QStringLiteral("hello")), ElementsAre(hello));
    EXPECT_THAT(other.pieces(QStringLiteral("as")), ElementsAre(a, 30));
    // The limit counts scalars, not UTF-16 units: three faces are six units.
    EXPECT_THAT(other.pieces(QStringLiteral("\U0001F600\U0001F600\U0001F600")), ElementsAre(40, 41, 41));
}

TEST(WordPieceTokenizer, NormalisesPersianAndEnglishWordsIntoPieces)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    const std::pair<QString, std::vector<int32_t>> cases[] = {
        // The zero-width non-joiner (half-space) is a format character and goes.
        {QStringLiteral("می\u200Cروم"), {11}},
        {QStringLiteral("خانه\u200Cها"), {12, 17}},
        // Alef with madda decomposes to alef and a mark; short vowels are marks.
        {QStringLiteral("آب"), {16}},
        {QStringLiteral("أب"), {16}},
        {QStringLiteral("کِتاب"), {25}},
        // Arabic kaf and Arabic yeh have no decomposition: they stay distinct from the Persian letters.
        {QStringLiteral("كتاب"), {unk}},
        {QStringLiteral("مي\u200Cروم"), {unk}},
        // Persian punctuation splits off as words of its own.
        {QStringLiteral("سلام،"), {8, 26}},
        {QStringLiteral("«است؟»"), {unk, 4, 19, unk}},
        // Nothing left after normalising: no pieces at all.
        {QStringLiteral("\u200C"), {}},
        {QStringLiteral("\u064E\u200F"), {}},
        // English is lower-cased without accents.
        {QStringLiteral("Hello,"), {hello, comma}},
        {QStringLiteral("Café"), {7}},
        {QStringLiteral("CAFE\u0301"), {7}},
        {QStringLiteral("Worlds"), {world, pluralS}},
        // The first piece alone doesn't count: the whole word is unknown.
        {QStringLiteral("hellox"), {unk}},
        // Controls and format characters vanish, tabs and other spaces separate, ideographs stand alone.
        {QStringLiteral("hel\u200Blo\u0000"), {hello}},
        {QStringLiteral("hello\tworld\u00A0a"), {hello, world, a}},
        {QStringLiteral("a中a"), {a, unk, a}},
        {QStringLiteral("a$a"), {a, unk, a}},
        // A word longer than the limit is one unknown piece.
        {QString(101, u'a'), {unk}},
    };
    for (const auto& [text, ids] : cases)
        EXPECT_EQ(tokenizer.pieces(text), ids) << text.toStdString();

    const std::vector<int32_t> hundred = tokenizer.pieces(QString(100, u'a'));
    ASSERT_EQ(hundred.size(), 100u);
    EXPECT_EQ(hundred.front(), a);
    EXPECT_EQ(std::count(hundred.begin(), hundred.end(), moreA), 99);
}

TEST(WordPieceTokenizer, EncodeFramesThePiecesAndNamesTheirWords)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    const auto empty = tokenizer.encode({});
    EXPECT_THAT(empty.ids, ElementsAre(cls, sep));
    EXPECT_THAT(empty.wordIds, ElementsAre(-1, -1));

    const auto encoded =
        tokenizer.encode({QStringLiteral("Hello,"), QStringLiteral("\u200C"), QStringLiteral("world")});
    EXPECT_THAT(encoded.ids, ElementsAre(cls, hello, comma, world, sep));
    EXPECT_THAT(encoded.wordIds, ElementsAre(-1, 0, 0, 2, -1));
}

TEST(WordPieceTokenizer, EveryScalarComesOutAsTheFullNormalisationWouldHaveIt)
{
    // A word that ends in a tab always takes the full normalisation (the tab becomes a space,
    // which only ends the word), so with a continuation piece for every scalar the two ways must
    // agree on what each scalar of the Basic Multilingual Plane becomes.
    QJsonObject vocab{{"[UNK]", 0}, {"[CLS]", 1}, {"[SEP]", 2}, {"x", 3}};
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(c))
            vocab.insert(QStringLiteral("##") + QChar(char16_t(c)), int(c) + 10);
    }
    const WordPieceTokenizer tokenizer = testTokenizerWith(setting("model", "vocab", vocab));
    for (char32_t c = 1; c < 0x10000; ++c) {
        const QString word = QStringLiteral("x") + QChar(char16_t(c));
        if (!QChar::isSurrogate(c)) {
            ASSERT_EQ(tokenizer.pieces(word), tokenizer.pieces(word + u'\t')) << "U+" << std::hex << uint32_t(c);
        }
    }
}
