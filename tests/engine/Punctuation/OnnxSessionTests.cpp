// The session against the real runtime with the synthetic token classifiers (label of id t is
// t mod 5, score 1 + t/100). Run under AddressSanitizer too, so the error paths must not leak.

#include "Punctuation/OnnxSession.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using testing::ElementsAre;
using testing::FloatEq;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

QString model(const char* name)
{
    return TestModels::punctuation() + u'/' + QLatin1String(name);
}

// The text of the OnnxError that `work` throws, or "" when it throws none.
template <typename Work>
std::string onnxErrorOf(Work work)
{
    try {
        work();
    } catch (const OnnxError& error) {
        return error.description().toStdString();
    }
    return {};
}

const OnnxSession::Inputs threeTokens = {{"input_ids", {1, 4, 7}}, {"attention_mask", {1, 1, 1}}};

std::vector<float> expectedThreeTokens()
{
    std::vector<float> logits(15, 0.0f);
    logits[0 * 5 + 1] = 1.01f;
    logits[1 * 5 + 4] = 1.04f;
    logits[2 * 5 + 2] = 1.07f;
    return logits;
}

}

TEST(OnnxSession, RunsTheModelAndHandsBackItsOutputRowByRow)
{
    OnnxSession session(model("model.onnx"), 2);
    EXPECT_THAT(session.inputNames(), ElementsAre("input_ids", "attention_mask"));
    const std::vector<float> logits = session.run(threeTokens, 3, "logits");
    ASSERT_EQ(logits.size(), 15u);
    const std::vector<float> expected = expectedThreeTokens();
    for (size_t i = 0; i < logits.size(); ++i)
        EXPECT_THAT(logits[i], FloatEq(expected[i])) << "value " << i;

    // A masked token scores nothing; the session runs any number of times.
    const auto masked = session.run({{"input_ids", {13, 16}}, {"attention_mask", {0, 1}}}, 2, "logits");
    EXPECT_THAT(masked, ElementsAre(0, 0, 0, 0, 0, 0, FloatEq(1.16f), 0, 0, 0));
}

TEST(OnnxSession, ListsInputsInTheModelsOrderAndIgnoresUndeclaredEntries)
{
    OnnxSession session(model("model-token-types.onnx"), 1);
    EXPECT_THAT(session.inputNames(), ElementsAre("input_ids", "attention_mask", "token_type_ids"));

    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {0, 0, 0};
    inputs["position_ids"] = {5};  // not declared: ignored, whatever its length
    const std::vector<float> logits = session.run(inputs, 3, "logits");
    const std::vector<float> expected = expectedThreeTokens();
    ASSERT_EQ(logits.size(), expected.size());
    for (size_t i = 0; i < logits.size(); ++i)
        EXPECT_THAT(logits[i], FloatEq(expected[i]));
}

TEST(OnnxSession, RefusesMissingOrWrongLengthInputsAndStaysUsable)
{
    OnnxSession session(model("model-token-types.onnx"), 1);
    EXPECT_EQ(onnxErrorOf([&] { session.run(threeTokens, 3, "logits"); }),
              "missing or wrong-length input token_type_ids");

    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {0, 0, 0};
    inputs["attention_mask"] = {1, 1};
    EXPECT_EQ(onnxErrorOf([&] { session.run(inputs, 3, "logits"); }), "missing or wrong-length input attention_mask");

    inputs["attention_mask"] = {1, 1, 1};
    EXPECT_EQ(session.run(inputs, 3, "logits").size(), 15u);
}

TEST(OnnxSession, PassesTheRuntimesOwnMessageAndStaysUsable)
{
    OnnxSession session(model("model.onnx"), 1);
    EXPECT_EQ(onnxErrorOf([&] { session.run(threeTokens, 3, "nope"); }), "Invalid output name: nope");
    // An id beyond the model's table fails inside the run, after the input tensors exist.
    const std::string outOfRange =
        onnxErrorOf([&] { session.run({{"input_ids", {40}}, {"attention_mask", {1}}}, 1, "logits"); });
    EXPECT_FALSE(outOfRange.empty());
    EXPECT_EQ(session.run(threeTokens, 3, "logits").size(), 15u);
}

TEST(OnnxSession, ARunTheModelRefusesLeavesTheSessionUsable)
{
    OnnxSession session(model("model-512-positions.onnx"), 1);
    const auto inputs = [](size_t length) {
        return OnnxSession::Inputs{{"input_ids", std::vector<int64_t>(length, 3)},
                                   {"attention_mask", std::vector<int64_t>(length, 1)}};
    };
    EXPECT_EQ(session.run(inputs(512), 512, "logits").size(), 512u * 5);
    EXPECT_THAT(onnxErrorOf([&] { session.run(inputs(513), 513, "logits"); }), HasSubstr("513"));
    EXPECT_EQ(session.run(inputs(2), 2, "logits").size(), 10u);
}

TEST(OnnxSession, FailedCreationReportsTheRuntimesMessage)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("absent.onnx"));
    EXPECT_THAT(onnxErrorOf([&] { OnnxSession session(missing, 1); }),
                AllOf(StartsWith("Load model from"), HasSubstr("absent.onnx")));

    const QString notAModel = dir.filePath(QStringLiteral("garbage.onnx"));
    QFile file(notAModel);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a model");
    file.close();
    EXPECT_THAT(onnxErrorOf([&] { OnnxSession session(notAModel, 1); }), HasSubstr("Protobuf parsing failed"));
}

TEST(OnnxSession, LoadsFromAFolderWithAPersianName)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("مدل‌ها"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(model("model.onnx"), folder + QStringLiteral("/model.onnx")));
    OnnxSession session(folder + QStringLiteral("/model.onnx"), 1);
    EXPECT_EQ(session.run(threeTokens, 3, "logits").size(), 15u);
}

TEST(OnnxSession, SessionsComeAndGoIndependently)
{
    auto first = std::make_unique<OnnxSession>(model("model.onnx"), 1);
    OnnxSession second(model("model-token-types.onnx"), 1);
    first.reset();
    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {1, 1, 1};
    // The token type is added to every score.
    EXPECT_THAT(second.run(inputs, 3, "logits")[0], FloatEq(1.0f));
}
