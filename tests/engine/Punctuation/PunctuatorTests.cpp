// The punctuator over the synthetic model: the first piece of a word decides its mark (id mod 5:
// nothing, ".", ":", "،", "؟"), so whole sentences have known results.

#include "Punctuation/Punctuator.h"
#include "PunctuationFolders.h"
#include "SerialQueue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>

#include <thread>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

using Window = Punctuator::Window;

std::string errorOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const Error& error) {
        return error.description().toStdString();
    }
    return {};
}

Punctuator punctuatorIn(const PunctuationFolder& folder, std::vector<float> bias = Punctuator::defaultLabelBias)
{
    return Punctuator(folder.path(), 1, std::move(bias));
}

}

TEST(Punctuator, PunctuatesAPersianSentence)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("سلام حال شما چطور است من خوبم")),
              QStringLiteral("سلام، حال شما چطور است؟ من خوبم."));
    // English words mixed in are tokenised the same way ("hello" gets the Arabic comma).
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("Hello من می\u200Cروم")), QStringLiteral("Hello، من می\u200Cروم."));
}

TEST(Punctuator, JoinsWordsWithSingleSpaces)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("  سلام  حال\nخوبم\t")), QStringLiteral("سلام، حال خوبم."));
    EXPECT_EQ(punctuator.punctuate(QString()), QString());
    EXPECT_EQ(punctuator.punctuate(QStringLiteral(" \n\t\u2028")), QString());
    // A word that normalises to nothing keeps label 0 and stays as it was.
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("سلام \u200C خوبم")), QStringLiteral("سلام، \u200C خوبم."));
}

TEST(Punctuator, AddsNoMarkAfterAnExistingOne)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    // Each of these words would get a mark (its first piece is "خوبم" or "است").
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("خوبم! خوبم… است? خوبم؛ خوبم- است!!")),
              QStringLiteral("خوبم! خوبم… است? خوبم؛ خوبم-. است!!"));
}

TEST(Punctuator, BiasIsAddedBeforeTheChoiceAndATieKeepsTheLowerLabel)
{
    PunctuationFolder folder;
    // An unknown word scores exactly 1.0 for label 0 and nothing else.
    EXPECT_EQ(punctuatorIn(folder, {0, 0, 0, 1.0f, 0}).punctuate(QStringLiteral("zzz")), QStringLiteral("zzz"));
    EXPECT_EQ(punctuatorIn(folder, {0, 0, 0, 1.25f, 0}).punctuate(QStringLiteral("zzz")), QStringLiteral("zzz،"));
    // The default bias never turns a full stop (1.06) into a comma (0.5).
    EXPECT_EQ(punctuatorIn(folder).punctuate(QStringLiteral("خوبم")), QStringLiteral("خوبم."));
    EXPECT_EQ(errorOf([&] { punctuatorIn(folder, {0, 0, 0, 0.5f}); }), "labelBias has 4 values, the model has 5 labels");
}

TEST(Punctuator, WindowsOverlapAndKeepEveryWordOnce)
{
    EXPECT_THAT(Punctuator::windows(std::vector<int>(300, 1)),
                ElementsAre(Window{0, 256, 0, 244}, Window{232, 300, 244, 300}));
    EXPECT_THAT(Punctuator::windows(std::vector<int>(256, 1)), ElementsAre(Window{0, 256, 0, 256}));
    EXPECT_THAT(Punctuator::windows({}), ElementsAre());
    // Short spans overlap by one word less than their length.
    EXPECT_THAT(Punctuator::windows({200, 100, 100, 100}),
                ElementsAre(Window{0, 1, 0, 1}, Window{1, 3, 1, 2}, Window{2, 4, 2, 4}));
}

TEST(Punctuator, AnOverLongWordHasAWindowOfItsOwn)
{
    std::vector<int> counts(10, 1);
    counts.push_back(300);
    counts.insert(counts.end(), 10, 1);
    const std::vector<Window> windows = Punctuator::windows(counts);
    // Before the long word the spans shrink one word at a time: ten runs where one would do.
    ASSERT_EQ(windows.size(), 12u);
    EXPECT_EQ(windows[0], (Window{0, 10, 0, 5}));
    EXPECT_EQ(windows[9], (Window{9, 10, 9, 10}));
    EXPECT_EQ(windows[10], (Window{10, 11, 10, 11}));
    EXPECT_EQ(windows[11], (Window{11, 21, 11, 21}));
    int next = 0;
    for (const Window& window : windows) {
        EXPECT_EQ(window.keepFrom, next);
        EXPECT_LE(window.start, window.keepFrom);
        EXPECT_LE(window.keepTo, window.end);
        next = window.keepTo;
    }
    EXPECT_EQ(next, 21);
}

TEST(Punctuator, LongTextsGetTheSameMarksAcrossWindows)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    QStringList words, expected;
    for (int i = 0; i < 300; ++i) {
        words << (i % 3 == 0 ? QStringLiteral("خوبم") : QStringLiteral("حال"));
        expected << (i % 3 == 0 ? QStringLiteral("خوبم.") : QStringLiteral("حال"));
    }
    EXPECT_EQ(punctuator.punctuate(words.join(u' ')), expected.join(u' '));

    // A word of 300 pieces in the middle, and one beyond the model's 512 tokens at the end.
    QString long300, long600;
    for (int i = 0; i < 150; ++i)
        long300 += QStringLiteral(".a");
    for (int i = 0; i < 300; ++i)
        long600 += QStringLiteral("،خوبم");
    const QString text = QStringLiteral("سلام حال ") + long300 + QStringLiteral(" است خوبم ") + long600;
    EXPECT_EQ(punctuator.punctuate(text),
              QStringLiteral("سلام، حال ") + long300 + QStringLiteral(": است؟ خوبم. ") + long600 + QStringLiteral("."));
}

TEST(Punctuator, NeverHandsTheModelMoreThan512Tokens)
{
    // This model, like a real one, has no position past 512.
    PunctuationFolder folder(QStringLiteral("model-512-positions.onnx"));
    Punctuator punctuator = punctuatorIn(folder);
    QString long600;
    for (int i = 0; i < 300; ++i)
        long600 += QStringLiteral("،خوبم");
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("سلام ") + long600 + QStringLiteral(" است")),
              QStringLiteral("سلام، ") + long600 + QStringLiteral(". است؟"));
}

TEST(Punctuator, PassesTokenTypesOnlyToAModelThatTakesThem)
{
    PunctuationFolder folder(QStringLiteral("model-token-types.onnx"));
    EXPECT_EQ(punctuatorIn(folder).punctuate(QStringLiteral("سلام خوبم")), QStringLiteral("سلام، خوبم."));
}

TEST(Punctuator, RefusesModelsThatDontFit)
{
    PunctuationFolder withoutIds(QStringLiteral("model-without-input-ids.onnx"));
    EXPECT_EQ(errorOf([&] { punctuatorIn(withoutIds); }), "the punctuation model has no input_ids input");

    PunctuationFolder threeLabels(QStringLiteral("model-three-labels.onnx"));
    Punctuator punctuator = punctuatorIn(threeLabels);
    EXPECT_EQ(errorOf([&] { punctuator.punctuate(QStringLiteral("سلام")); }), "unexpected output size 9 for 3 tokens");
    // The failure leaves the punctuator as it was: the next call fails the same way, no worse.
    EXPECT_EQ(errorOf([&] { punctuator.punctuate(QStringLiteral("سلام خوبم")); }),
              "unexpected output size 12 for 4 tokens");

    PunctuationFolder missingModel;
    ASSERT_TRUE(QDir(missingModel.path()).remove(QStringLiteral("model.onnx")));
    EXPECT_THAT(errorOf([&] { punctuatorIn(missingModel); }), HasSubstr("Load model from"));

    PunctuationFolder missingTokenizer;
    ASSERT_TRUE(QDir(missingTokenizer.path()).remove(QStringLiteral("tokenizer.json")));
    EXPECT_THAT(errorOf([&] { punctuatorIn(missingTokenizer); }), HasSubstr("tokenizer.json"));
}

TEST(Punctuator, CallsFromSeveralThreadsTakeTurns)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    const QString sentence = QStringLiteral("سلام حال شما چطور است من خوبم");
    const QString expected = QStringLiteral("سلام، حال شما چطور است؟ من خوبم.");

    SerialQueue queue("quillmarsh.punctuation");
    std::atomic<int> rightOnQueue = 0, rightOnThread = 0;
    for (int i = 0; i < 50; ++i)
        queue.async([&] { rightOnQueue += punctuator.punctuate(sentence) == expected; });
    std::thread other([&] {
        for (int i = 0; i < 50; ++i)
            rightOnThread += punctuator.punctuate(sentence) == expected;
    });
    other.join();
    queue.sync([] {});
    EXPECT_EQ(rightOnQueue, 50);
    EXPECT_EQ(rightOnThread, 50);
}
