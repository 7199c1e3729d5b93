// Our own declarations of the two C interfaces against the real libraries: layouts and versions.
// Decoding through them is checked where they are used (the recogniser and the ONNX session).

#include "SpeechLibraries/Engine.h"
#include "SpeechLibraries/OnnxRuntimeApi.h"
#include "SpeechLibraries/SherpaOnnxApi.h"
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
static_assert(offsetof(OrtApi, AddSessionConfigEntry) == 1040);

TEST(SpeechLibraries, VersionsAreThoseWeBuildAgainst)
{
    EXPECT_EQ(Engine::sherpaVersion(), QStringLiteral("1.13.8"));
    EXPECT_EQ(Engine::onnxRuntimeVersion(), QStringLiteral("1.28.2"));
    EXPECT_STREQ(OrtGetApiBase()->GetVersionString(), "1.28.2");
}
