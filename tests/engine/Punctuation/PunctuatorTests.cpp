// The punctuator over the synthetic model: the first piece of a word decides its mark (id mod 5:
// nothing, ".", ":", "،", "؟"), so whole sentences have known results.

#include "Core/SerialQueue.h"
#include "Punctuation/Punctuator.h"
#include "PunctuationFolders.h"

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

TEST(Punctuator, PunctuatesSentencesWithSingleSpacesAndNoMarkAfterAnExistingOne)
{
    PunctuationFolder folder;
    Punctuator punctuator = punctuatorIn(folder);
    PunctuationFolder withTokenTypes(QStringLiteral("model-token-types.onnx"));
    Punctuator takingTokenTypes = punctuatorIn(withTokenTypes);
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("سلام حال شما چطور است من خوبم"), QStringLiteral("سلام، حال شما چطور است؟ من خوبم.")},
        // English words mixed in are tokenised the same way ("hello" gets the Arabic comma).
        {QStringLiteral("Hello من می\u200Cروم"), QStringLiteral("Hello، من می\u200Cروم.")},
        {QStringLiteral("  سلام  حال\nخوبم\t"), QStringLiteral("سلام، حال خوبم.")},
        {QString(), QString()},
        {QStringLiteral(" \n\t\u2028"), QString()},
        // A word that normalises to nothing keeps label 0 and stays as it was.
        {QStringLiteral("سلام \u200C خوبم"), QStringLiteral("سلام، \u200C خوبم.")},
        // Each of these words would get a mark (its first piece is "خوبم" or "است").
        {QStringLiteral("خوبم! خوبم… است? خوبم؛ خوبم- است!!"), QStringLiteral("خوبم! خوبم… است? خوبم؛ خوبم-. است!!")},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(punctuator.punctuate(text), expected) << text.toStdString();
        // Token types go only to a model that takes them, and change nothing.
        EXPECT_EQ(takingTokenTypes.punctuate(text), expected) << text.toStdString();
    }
}

TEST(Punctuator, BiasIsAddedBeforeTheChoiceAndATieKeepsTheLowerLabel)
{
    PunctuationFolder folder;
    // An unknown word scores exactly 1.0 for label 0 and nothing else.
    EXPECT_EQ(punctuatorIn(folder, {0, 0, 0, 1.0f, 0}).punctuate(QStringLiteral("zzz")), QStringLiteral("zzz"));
    EXPECT_EQ(punctuatorIn(folder, {0, 0, 0, 1.25f, 0}).punctuate(QStringLiteral("zzz")), QStringLiteral("zzz،"));
    // The default bias never turns a full stop (1.06) into a comma (0.5).
    EXPECT_EQ(punctuatorIn(folder).punctuate(QStringLiteral("خوبم")), QStringLiteral("خوبم."));
    EXPECT_EQ(errorOf([&] {
                  punctuatorIn(folder, {0, 0, 0, 0.5f});
              }),
              "labelBias has 4 values, the model has 5 labels");
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
    for (size_t i = 1; i < windows.size(); ++i)
        EXPECT_EQ(windows[i].keepFrom, windows[i - 1].keepTo) << i;
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
    std::atomic<int> right = 0;
    for (int i = 0; i < 50; ++i)
        queue.async([&] { right += punctuator.punctuate(sentence) == expected; });
    std::thread other([&] {
        for (int i = 0; i < 50; ++i)
            right += punctuator.punctuate(sentence) == expected;
    });
    other.join();
    queue.sync([] {});
    EXPECT_EQ(right, 100);
}
