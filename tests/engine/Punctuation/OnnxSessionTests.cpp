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

// Ids 1, 4 and 7 score 1.01, 1.04 and 1.07 for labels 1, 4 and 2; everything else is 0.
void expectThreeTokens(const std::vector<float>& logits)
{
    std::vector<float> expected(15, 0.0f);
    expected[0 * 5 + 1] = 1.01f;
    expected[1 * 5 + 4] = 1.04f;
    expected[2 * 5 + 2] = 1.07f;
    ASSERT_EQ(logits.size(), expected.size());
    for (size_t i = 0; i < logits.size(); ++i)
        EXPECT_THAT(logits[i], FloatEq(expected[i])) << "value " << i;
}

}

TEST(OnnxSession, RunsTheModelAndHandsBackItsOutputRowByRow)
{
    OnnxSession session(model("model.onnx"), 2);
    EXPECT_THAT(session.inputNames(), ElementsAre("input_ids", "attention_mask"));
    expectThreeTokens(session.run(threeTokens, 3, "logits"));
    // A masked token scores nothing; the session runs any number of times.
    const auto masked = session.run({{"input_ids", {13, 16}}, {"attention_mask", {0, 1}}}, 2, "logits");
    EXPECT_THAT(masked, ElementsAre(0, 0, 0, 0, 0, 0, FloatEq(1.16f), 0, 0, 0));

    // Inputs are listed in the model's order; entries the model doesn't declare are ignored.
    OnnxSession withTypes(model("model-token-types.onnx"), 1);
    EXPECT_THAT(withTypes.inputNames(), ElementsAre("input_ids", "attention_mask", "token_type_ids"));
    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {0, 0, 0};
    inputs["position_ids"] = {5};
    expectThreeTokens(withTypes.run(inputs, 3, "logits"));
}

TEST(OnnxSession, EveryRefusedRunLeavesTheSessionUsable)
{
    OnnxSession withTypes(model("model-token-types.onnx"), 1);
    EXPECT_EQ(onnxErrorOf([&] { withTypes.run(threeTokens, 3, "logits"); }),
              "missing or wrong-length input token_type_ids");
    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {0, 0, 0};
    inputs["attention_mask"] = {1, 1};
    EXPECT_EQ(onnxErrorOf([&] { withTypes.run(inputs, 3, "logits"); }), "missing or wrong-length input attention_mask");
    inputs["attention_mask"] = {1, 1, 1};
    EXPECT_EQ(withTypes.run(inputs, 3, "logits").size(), 15u);

    // The runtime's own messages pass through, also when the run fails after the tensors exist.
    OnnxSession session(model("model.onnx"), 1);
    EXPECT_EQ(onnxErrorOf([&] { session.run(threeTokens, 3, "nope"); }), "Invalid output name: nope");
    EXPECT_NE(onnxErrorOf([&] { session.run({{"input_ids", {40}}, {"attention_mask", {1}}}, 1, "logits"); }), "");
    EXPECT_EQ(session.run(threeTokens, 3, "logits").size(), 15u);

    OnnxSession limited(model("model-512-positions.onnx"), 1);
    const auto ones = [](size_t length) {
        return OnnxSession::Inputs{{"input_ids", std::vector<int64_t>(length, 3)},
                                   {"attention_mask", std::vector<int64_t>(length, 1)}};
    };
    EXPECT_EQ(limited.run(ones(512), 512, "logits").size(), 512u * 5);
    EXPECT_THAT(onnxErrorOf([&] { limited.run(ones(513), 513, "logits"); }), HasSubstr("513"));
    EXPECT_EQ(limited.run(ones(2), 2, "logits").size(), 10u);
}

TEST(OnnxSession, FailedCreationReportsTheRuntimesMessage)
{
    QTemporaryDir dir;
    EXPECT_THAT(onnxErrorOf([&] { OnnxSession session(dir.filePath(QStringLiteral("absent.onnx")), 1); }),
                AllOf(StartsWith("Load model from"), HasSubstr("absent.onnx")));
    const QString notAModel = dir.filePath(QStringLiteral("garbage.onnx"));
    QFile file(notAModel);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("this is not a model") > 0);
    file.close();
    EXPECT_THAT(onnxErrorOf([&] { OnnxSession session(notAModel, 1); }), HasSubstr("Protobuf parsing failed"));
}

TEST(OnnxSession, LoadsFromAPersianFolderNameAndSessionsComeAndGoIndependently)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("مدل‌ها"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(model("model.onnx"), folder + QStringLiteral("/model.onnx")));
    auto first = std::make_unique<OnnxSession>(folder + QStringLiteral("/model.onnx"), 1);
    OnnxSession second(model("model-token-types.onnx"), 1);
    EXPECT_EQ(first->run(threeTokens, 3, "logits").size(), 15u);
    first.reset();
    OnnxSession::Inputs inputs = threeTokens;
    inputs["token_type_ids"] = {1, 1, 1};
    // The token type is added to every score.
    EXPECT_THAT(second.run(inputs, 3, "logits")[0], FloatEq(1.0f));
}
