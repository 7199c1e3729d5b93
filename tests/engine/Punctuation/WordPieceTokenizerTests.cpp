// The tokenizer with the synthetic vocabulary of make_test_models.py: what it accepts, and how
// Persian and English words turn into pieces.

#include "Punctuation/OnnxError.h"
#include "Punctuation/WordPieceTokenizer.h"
#include "PunctuationFolders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Ids of the synthetic vocabulary.
constexpr int32_t unk = 0, cls = 1, sep = 2, hello = 13, comma = 14, world = 21, pluralS = 22, a = 23, moreA = 24;

WordPieceTokenizer testTokenizerWith(const std::function<void(QJsonObject&)>& edit = {})
{
    PunctuationFolder folder(QStringLiteral("model.onnx"), edit);
    return WordPieceTokenizer(folder.tokenizerPath());
}

// The text of the OnnxError that loading the edited tokenizer throws, or "" when it loads.
std::string loadError(const std::function<void(QJsonObject&)>& edit)
{
    try {
        testTokenizerWith(edit);
    } catch (const OnnxError& error) {
        return error.description().toStdString();
    }
    return {};
}

// Changes one key of one of the description's objects ("" for the top level).
std::function<void(QJsonObject&)> setting(const QString& object, const QString& key, const QJsonValue& value)
{
    return [=](QJsonObject& top) {
        if (object.isEmpty()) {
            top[key] = value;
            return;
        }
        QJsonObject inner = top[object].toObject();
        if (value.isUndefined())
            inner.remove(key);
        else
            inner[key] = value;
        top[object] = inner;
    };
}

std::function<void(QJsonObject&)> removingFromVocab(const QString& token)
{
    return [=](QJsonObject& top) {
        QJsonObject model = top[QStringLiteral("model")].toObject();
        QJsonObject vocab = model[QStringLiteral("vocab")].toObject();
        vocab.remove(token);
        model[QStringLiteral("vocab")] = vocab;
        top[QStringLiteral("model")] = model;
    };
}

std::function<void(QJsonObject&)> addingToVocab(const QString& token, const QJsonValue& id)
{
    return [=](QJsonObject& top) {
        QJsonObject model = top[QStringLiteral("model")].toObject();
        QJsonObject vocab = model[QStringLiteral("vocab")].toObject();
        vocab[token] = id;
        model[QStringLiteral("vocab")] = vocab;
        top[QStringLiteral("model")] = model;
    };
}

const QString model = QStringLiteral("model");
const QString normalizer = QStringLiteral("normalizer");

}

TEST(WordPieceTokenizer, RefusesOtherPipelinesInTheOrderOfItsChecks)
{
    const std::string notWordPiece = "tokenizer.json isn't a WordPiece tokenizer";
    const std::string unsupported = "tokenizer.json: unsupported normalizer or pre-tokenizer";

    // The model is checked before the normaliser, so an unsupported normaliser doesn't decide.
    EXPECT_EQ(loadError([&](QJsonObject& top) {
                  setting(model, QStringLiteral("type"), QStringLiteral("BPE"))(top);
                  setting(normalizer, QStringLiteral("type"), QStringLiteral("NFC"))(top);
              }),
              notWordPiece);
    EXPECT_EQ(loadError(setting({}, model, QJsonArray())), notWordPiece);
    EXPECT_EQ(loadError(setting(model, QStringLiteral("vocab"), QJsonArray())), notWordPiece);
    EXPECT_EQ(loadError(addingToVocab(QStringLiteral("x"), QStringLiteral("5"))), notWordPiece);
    EXPECT_EQ(loadError(addingToVocab(QStringLiteral("x"), 3.5)), notWordPiece);
    EXPECT_EQ(loadError(addingToVocab(QStringLiteral("x"), 4294967296.0)), notWordPiece);

    EXPECT_EQ(loadError(setting({}, normalizer, QStringLiteral("BertNormalizer"))), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("type"), QStringLiteral("Lowercase"))), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("lowercase"), false)), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("clean_text"), QJsonValue::Undefined)), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("handle_chinese_chars"), false)), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("strip_accents"), false)), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("strip_accents"), QJsonValue::Undefined)), unsupported);
    EXPECT_EQ(loadError(setting(normalizer, QStringLiteral("strip_accents"), true)), "");
    EXPECT_EQ(loadError(setting(QStringLiteral("pre_tokenizer"), QStringLiteral("type"), QStringLiteral("Whitespace"))),
              unsupported);
    EXPECT_EQ(loadError(setting({}, QStringLiteral("pre_tokenizer"), QJsonValue::Null)), unsupported);

    EXPECT_EQ(loadError(removingFromVocab(QStringLiteral("[SEP]"))), "tokenizer.json: special tokens missing");
    EXPECT_EQ(loadError(setting(model, QStringLiteral("unk_token"), QStringLiteral("<unk>"))),
              "tokenizer.json: special tokens missing");
}

TEST(WordPieceTokenizer, NamesTheFileItRefusesAndReportsUnreadableFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vocab.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[1, 2]");
    file.close();
    try {
        WordPieceTokenizer tokenizer(path);
        FAIL() << "loaded a list";
    } catch (const OnnxError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("vocab.json isn't a WordPiece tokenizer"));
    }

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"model\": ");
    file.close();
    EXPECT_THROW(WordPieceTokenizer{path}, Error);
    EXPECT_THROW(WordPieceTokenizer{dir.filePath(QStringLiteral("absent.json"))}, Error);
}

TEST(WordPieceTokenizer, FallsBackToTheUsualPrefixLimitAndUnknownToken)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith([](QJsonObject& top) {
        QJsonObject inner = top[model].toObject();
        inner.remove(QStringLiteral("continuing_subword_prefix"));
        inner[QStringLiteral("max_input_chars_per_word")] = QStringLiteral("12");
        inner.remove(QStringLiteral("unk_token"));
        top[model] = inner;
    });
    EXPECT_EQ(tokenizer.prefix(), QStringLiteral("##"));
    EXPECT_EQ(tokenizer.maxChars(), 100);
    EXPECT_EQ(tokenizer.unk(), unk);
    EXPECT_EQ(tokenizer.cls(), cls);
    EXPECT_EQ(tokenizer.sep(), sep);
}

TEST(WordPieceTokenizer, HonoursAnotherPrefixAndLimit)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith([](QJsonObject& top) {
        addingToVocab(QStringLiteral("@@s"), 30)(top);
        addingToVocab(QStringLiteral("\U0001F600"), 40)(top);
        addingToVocab(QStringLiteral("@@\U0001F600"), 41)(top);
        QJsonObject inner = top[model].toObject();
        inner[QStringLiteral("continuing_subword_prefix")] = QStringLiteral("@@");
        inner[QStringLiteral("max_input_chars_per_word")] = 5;
        top[model] = inner;
    });
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("worlds")), ElementsAre(unk));  // six scalars
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("hello")), ElementsAre(hello));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("a")), ElementsAre(a));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("as")), ElementsAre(a, 30));
    // The limit counts scalars, not UTF-16 units: three faces are six units.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("\U0001F600\U0001F600\U0001F600")), ElementsAre(40, 41, 41));
}

TEST(WordPieceTokenizer, PersianWordsLoseHalfSpacesMarksAndDecomposableVariants)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    // The zero-width non-joiner (half-space) is a format character and goes.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("می\u200Cروم")), ElementsAre(11));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("خانه\u200Cها")), ElementsAre(12, 17));
    // Alef with madda decomposes to alef and a mark; short vowels are marks.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("آب")), ElementsAre(16));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("أب")), ElementsAre(16));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("کِتاب")), ElementsAre(25));
    // Arabic kaf and Arabic yeh have no decomposition: they stay distinct from the Persian letters.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("كتاب")), ElementsAre(unk));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("مي\u200Cروم")), ElementsAre(unk));
    // Persian punctuation splits off as words of its own.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("سلام،")), ElementsAre(8, 26));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("«است؟»")), ElementsAre(unk, 4, 19, unk));
    // Nothing left after normalising: no pieces at all.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("\u200C")), IsEmpty());
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("\u064E\u200F")), IsEmpty());
}

TEST(WordPieceTokenizer, EnglishWordsAreLowerCasedWithoutAccents)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("Hello,")), ElementsAre(hello, comma));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("Café")), ElementsAre(7));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("CAFE\u0301")), ElementsAre(7));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("Worlds")), ElementsAre(world, pluralS));
    // The first piece alone doesn't count: the whole word is unknown.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("hellox")), ElementsAre(unk));
    // Controls and format characters vanish, tabs and other spaces separate, ideographs stand alone.
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("hel\u200Blo\u0000")), ElementsAre(hello));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("hello\tworld\u00A0a")), ElementsAre(hello, world, a));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("a中a")), ElementsAre(a, unk, a));
    EXPECT_THAT(tokenizer.pieces(QStringLiteral("a$a")), ElementsAre(a, unk, a));
}

TEST(WordPieceTokenizer, AWordLongerThanTheLimitIsOneUnknownPiece)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    const std::vector<int32_t> hundred = tokenizer.pieces(QString(100, u'a'));
    ASSERT_EQ(hundred.size(), 100u);
    EXPECT_EQ(hundred.front(), a);
    EXPECT_EQ(std::count(hundred.begin(), hundred.end(), moreA), 99);
    EXPECT_THAT(tokenizer.pieces(QString(101, u'a')), ElementsAre(unk));
}

TEST(WordPieceTokenizer, EncodeFramesThePiecesAndNamesTheirWords)
{
    const WordPieceTokenizer tokenizer = testTokenizerWith();
    const auto empty = tokenizer.encode({});
    EXPECT_THAT(empty.ids, ElementsAre(cls, sep));
    EXPECT_THAT(empty.wordIds, ElementsAre(-1, -1));

    const auto encoded = tokenizer.encode({QStringLiteral("Hello,"), QStringLiteral("\u200C"), QStringLiteral("world")});
    EXPECT_THAT(encoded.ids, ElementsAre(cls, hello, comma, world, sep));
    EXPECT_THAT(encoded.wordIds, ElementsAre(-1, 0, 0, 2, -1));
}

TEST(WordPieceTokenizer, EveryScalarComesOutAsTheFullNormalisationWouldHaveIt)
{
    // A word that ends in a tab always takes the full normalisation (the tab becomes a space,
    // which only ends the word), so with a continuation piece for every scalar the two ways must
    // agree on what each scalar of the Basic Multilingual Plane becomes.
    QJsonObject vocab{{QStringLiteral("[UNK]"), 0}, {QStringLiteral("[CLS]"), 1}, {QStringLiteral("[SEP]"), 2},
                      {QStringLiteral("x"), 3}};
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(c))
            vocab.insert(QStringLiteral("##") + QChar(char16_t(c)), int(c) + 10);
    }
    const WordPieceTokenizer tokenizer = testTokenizerWith(setting(model, QStringLiteral("vocab"), vocab));
    int compared = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString word = QStringLiteral("x") + QChar(char16_t(c));
        ASSERT_EQ(tokenizer.pieces(word), tokenizer.pieces(word + u'\t')) << "U+" << std::hex << uint32_t(c);
        ++compared;
    }
    EXPECT_EQ(compared, 0x10000 - 1 - 0x800);
}
