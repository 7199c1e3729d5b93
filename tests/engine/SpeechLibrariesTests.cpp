// Our own declarations of the two C interfaces against the real libraries: layouts, versions,
// and a decode through each.

#include "Engine.h"
#include "Punctuation/OnnxRuntimeApi.h"
#include "SherpaOnnxApi.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>

static_assert(sizeof(SherpaOnnxOnlineModelConfig) == 136);
static_assert(sizeof(SherpaOnnxOnlineRecognizerConfig) == 272);
static_assert(sizeof(SherpaOnnxOnlineRecognizerResult) == 48);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, model_config) == 8);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, tokens) == 48);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, num_threads) == 56);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, provider) == 64);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, modeling_unit) == 88);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, bpe_vocab) == 96);
static_assert(offsetof(SherpaOnnxOnlineModelConfig, t_one_ctc) == 128);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, decoding_method) == 144);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, max_active_paths) == 152);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, hotwords_file) == 176);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, hotwords_score) == 184);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, ctc_fst_decoder_config) == 192);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, blank_penalty) == 224);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, hotwords_buf) == 232);
static_assert(offsetof(SherpaOnnxOnlineRecognizerConfig, hr) == 248);
static_assert(offsetof(SherpaOnnxOnlineRecognizerResult, count) == 32);
static_assert(offsetof(SherpaOnnxOnlineRecognizerResult, json) == 40);

static_assert(sizeof(OrtApiBase) == 16);
static_assert(offsetof(OrtApi, GetErrorMessage) == 16);
static_assert(offsetof(OrtApi, CreateEnv) == 24);
static_assert(offsetof(OrtApi, CreateSession) == 56);
static_assert(offsetof(OrtApi, Run) == 72);
static_assert(offsetof(OrtApi, CreateSessionOptions) == 80);
static_assert(offsetof(OrtApi, SetSessionGraphOptimizationLevel) == 184);
static_assert(offsetof(OrtApi, SetInterOpNumThreads) == 200);
static_assert(offsetof(OrtApi, SessionGetInputCount) == 240);
static_assert(offsetof(OrtApi, SessionGetInputName) == 288);
static_assert(offsetof(OrtApi, CreateTensorWithDataAsOrtValue) == 392);
static_assert(offsetof(OrtApi, GetTensorMutableData) == 408);
static_assert(offsetof(OrtApi, GetTensorShapeElementCount) == 512);
static_assert(offsetof(OrtApi, GetTensorTypeAndShape) == 520);
static_assert(offsetof(OrtApi, CreateCpuMemoryInfo) == 552);
static_assert(offsetof(OrtApi, AllocatorFree) == 608);
static_assert(offsetof(OrtApi, GetAllocatorWithDefaultOptions) == 624);
static_assert(offsetof(OrtApi, ReleaseEnv) == 736);
static_assert(offsetof(OrtApi, ReleaseValue) == 768);
static_assert(offsetof(OrtApi, ReleaseTensorTypeAndShapeInfo) == 792);
static_assert(offsetof(OrtApi, ReleaseSessionOptions) == 800);

TEST(SpeechLibraries, VersionsAreThoseWeBuildAgainst)
{
    EXPECT_EQ(Engine::sherpaVersion(), QStringLiteral("1.13.8"));
    EXPECT_EQ(Engine::onnxRuntimeVersion(), QStringLiteral("1.28.2"));
    EXPECT_STREQ(OrtGetApiBase()->GetVersionString(), "1.28.2");
}

namespace {

// Decodes the synthetic transducer's audio with plain C calls and returns the final text.
std::string decodeWithSherpa(const QString& modelDir, const std::vector<float>& signal, const char* hotwords)
{
    const QByteArray dir = modelDir.toUtf8();
    const QByteArray encoder = dir + "/encoder.onnx", decoder = dir + "/decoder.onnx", joiner = dir + "/joiner.onnx",
                     tokens = dir + "/tokens.txt", vocab = dir + "/bpe.vocab";
    SherpaOnnxOnlineRecognizerConfig config{};
    config.feat_config = {16000, 128};
    config.model_config.transducer = {encoder.constData(), decoder.constData(), joiner.constData()};
    config.model_config.tokens = tokens.constData();
    config.model_config.num_threads = 1;
    config.model_config.provider = "cpu";
    config.decoding_method = hotwords ? "modified_beam_search" : "greedy_search";
    config.max_active_paths = 4;
    if (hotwords) {
        config.model_config.modeling_unit = "bpe";
        config.model_config.bpe_vocab = vocab.constData();
        config.hotwords_score = 1.5f;
    }
    const SherpaOnnxOnlineRecognizer* recognizer = SherpaOnnxCreateOnlineRecognizer(&config);
    if (!recognizer)
        return "<no recognizer>";
    const SherpaOnnxOnlineStream* stream = hotwords ? SherpaOnnxCreateOnlineStreamWithHotwords(recognizer, hotwords)
                                                    : SherpaOnnxCreateOnlineStream(recognizer);
    std::vector<float> audio = TestAudio::silence(0.165);
    audio.insert(audio.end(), signal.begin(), signal.end());
    const std::vector<float> tail = TestAudio::silence(0.8);
    audio.insert(audio.end(), tail.begin(), tail.end());
    SherpaOnnxOnlineStreamAcceptWaveform(stream, 16000, audio.data(), static_cast<int32_t>(audio.size()));
    SherpaOnnxOnlineStreamInputFinished(stream);
    while (SherpaOnnxIsOnlineStreamReady(recognizer, stream))
        SherpaOnnxDecodeOnlineStream(recognizer, stream);
    const SherpaOnnxOnlineRecognizerResult* result = SherpaOnnxGetOnlineStreamResult(recognizer, stream);
    std::string text = result && result->text ? result->text : "<no result>";
    SherpaOnnxDestroyOnlineRecognizerResult(result);
    SherpaOnnxDestroyOnlineStream(stream);
    SherpaOnnxDestroyOnlineRecognizer(recognizer);
    return text;
}

}

TEST(SpeechLibraries, SyntheticTransducerDecodesThroughOurDeclarations)
{
    EXPECT_EQ(decodeWithSherpa(TestModels::transducer(), TestAudio::noise(1.0), nullptr), "HELLO WORLD");
    EXPECT_EQ(decodeWithSherpa(TestModels::transducer(), TestAudio::silence(1.0), nullptr), "");
}

TEST(SpeechLibraries, HotwordsReachTheBeamSearchThroughOurDeclarations)
{
    EXPECT_EQ(decodeWithSherpa(TestModels::transducerBpe(), TestAudio::noise(1.0), ""), "HELLO WORLD");
    EXPECT_EQ(decodeWithSherpa(TestModels::transducerBpe(), TestAudio::noise(1.0), "WORD"), "HELLO WORD");
}

TEST(SpeechLibraries, PunctuationModelRunsThroughOurOnnxRuntimeTable)
{
    const OrtApi* api = OrtGetApiBase()->GetApi(28);
    ASSERT_NE(api, nullptr);
    const auto ok = [api](OrtStatus* status) {
        if (!status)
            return true;
        ADD_FAILURE() << api->GetErrorMessage(status);
        api->ReleaseStatus(status);
        return false;
    };

    OrtEnv* env = nullptr;
    OrtSessionOptions* options = nullptr;
    OrtSession* session = nullptr;
    OrtMemoryInfo* memory = nullptr;
    ASSERT_TRUE(ok(api->CreateEnv(ORT_LOGGING_LEVEL_WARNING, "quillmarsh", &env)));
    ASSERT_TRUE(ok(api->CreateSessionOptions(&options)));
    ASSERT_TRUE(ok(api->SetIntraOpNumThreads(options, 1)));
    ASSERT_TRUE(ok(api->SetInterOpNumThreads(options, 1)));
    ASSERT_TRUE(ok(api->SetSessionGraphOptimizationLevel(options, ORT_ENABLE_ALL)));
    const QByteArray path = (TestModels::punctuation() + QStringLiteral("/model.onnx")).toUtf8();
    ASSERT_TRUE(ok(api->CreateSession(env, path.constData(), options, &session)));
    api->ReleaseSessionOptions(options);
    ASSERT_TRUE(ok(api->CreateCpuMemoryInfo(OrtArenaAllocator, OrtMemTypeDefault, &memory)));

    OrtAllocator* allocator = nullptr;
    ASSERT_TRUE(ok(api->GetAllocatorWithDefaultOptions(&allocator)));
    size_t inputCount = 0;
    ASSERT_TRUE(ok(api->SessionGetInputCount(session, &inputCount)));
    ASSERT_EQ(inputCount, 2u);
    char* firstName = nullptr;
    ASSERT_TRUE(ok(api->SessionGetInputName(session, 0, allocator, &firstName)));
    EXPECT_STREQ(firstName, "input_ids");
    ASSERT_TRUE(ok(api->AllocatorFree(allocator, firstName)));

    std::vector<int64_t> ids{1, 4, 7, 10, 13, 16}, mask{1, 1, 0, 1, 1, 1};
    const int64_t shape[] = {1, 6};
    OrtValue* inputs[2] = {};
    ASSERT_TRUE(ok(api->CreateTensorWithDataAsOrtValue(memory, ids.data(), ids.size() * 8, shape, 2,
                                                       ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64, &inputs[0])));
    ASSERT_TRUE(ok(api->CreateTensorWithDataAsOrtValue(memory, mask.data(), mask.size() * 8, shape, 2,
                                                       ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64, &inputs[1])));
    const char* inputNames[] = {"input_ids", "attention_mask"};
    const char* outputNames[] = {"logits"};
    OrtValue* output = nullptr;
    ASSERT_TRUE(ok(api->Run(session, nullptr, inputNames, inputs, 2, outputNames, 1, &output)));

    OrtTensorTypeAndShapeInfo* info = nullptr;
    size_t count = 0;
    void* data = nullptr;
    ASSERT_TRUE(ok(api->GetTensorTypeAndShape(output, &info)));
    ASSERT_TRUE(ok(api->GetTensorShapeElementCount(info, &count)));
    ASSERT_TRUE(ok(api->GetTensorMutableData(output, &data)));
    ASSERT_EQ(count, 30u);
    const float* logits = static_cast<const float*>(data);
    const int expectedLabel[] = {1, 4, -1, 0, 3, 1};
    for (int token = 0; token < 6; ++token) {
        for (int label = 0; label < 5; ++label) {
            const float value = logits[token * 5 + label];
            if (label == expectedLabel[token])
                EXPECT_NEAR(value, 1.0f + static_cast<float>(ids[static_cast<size_t>(token)]) / 100, 1e-5);
            else
                EXPECT_EQ(value, 0.0f) << "token " << token << " label " << label;
        }
    }

    api->ReleaseTensorTypeAndShapeInfo(info);
    api->ReleaseValue(output);
    api->ReleaseValue(inputs[0]);
    api->ReleaseValue(inputs[1]);
    api->ReleaseSession(session);
    api->ReleaseMemoryInfo(memory);
    api->ReleaseEnv(env);
}
