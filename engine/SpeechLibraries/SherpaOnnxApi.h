#pragma once
// Our declarations of the parts of the sherpa-onnx 1.13.8 C interface that we call.
// Every struct field is declared, used or not, so that the layout matches the library's
// (x86_64 System V); the layout test checks sizes and offsets.

#include <cstdint>

extern "C" {

struct SherpaOnnxOnlineRecognizer;
struct SherpaOnnxOnlineStream;

struct SherpaOnnxFeatureConfig {
    int32_t sample_rate;
    int32_t feature_dim;
};

struct SherpaOnnxOnlineTransducerModelConfig {
    const char* encoder;
    const char* decoder;
    const char* joiner;
};

struct SherpaOnnxOnlineParaformerModelConfig {
    const char* encoder;
    const char* decoder;
};

struct SherpaOnnxOnlineSingleModelConfig {
    const char* model;
};

struct SherpaOnnxOnlineModelConfig {
    SherpaOnnxOnlineTransducerModelConfig transducer;
    SherpaOnnxOnlineParaformerModelConfig paraformer;
    SherpaOnnxOnlineSingleModelConfig zipformer2_ctc;
    const char* tokens;
    int32_t num_threads;
    const char* provider;
    int32_t debug;
    const char* model_type;
    const char* modeling_unit;
    const char* bpe_vocab;
    const char* tokens_buf;
    int32_t tokens_buf_size;
    SherpaOnnxOnlineSingleModelConfig nemo_ctc;
    SherpaOnnxOnlineSingleModelConfig t_one_ctc;
};

struct SherpaOnnxOnlineCtcFstDecoderConfig {
    const char* graph;
    int32_t max_active;
};

struct SherpaOnnxHomophoneReplacerConfig {
    const char* dict_dir;
    const char* lexicon;
    const char* rule_fsts;
};

struct SherpaOnnxOnlineRecognizerConfig {
    SherpaOnnxFeatureConfig feat_config;
    SherpaOnnxOnlineModelConfig model_config;
    const char* decoding_method;
    int32_t max_active_paths;
    int32_t enable_endpoint;
    float rule1_min_trailing_silence;
    float rule2_min_trailing_silence;
    float rule3_min_utterance_length;
    const char* hotwords_file;
    float hotwords_score;
    SherpaOnnxOnlineCtcFstDecoderConfig ctc_fst_decoder_config;
    const char* rule_fsts;
    const char* rule_fars;
    float blank_penalty;
    const char* hotwords_buf;
    int32_t hotwords_buf_size;
    SherpaOnnxHomophoneReplacerConfig hr;
};

struct SherpaOnnxOnlineRecognizerResult {
    const char* text;
    const char* tokens;
    const char* const* tokens_arr;
    float* timestamps;
    int32_t count;
    const char* json;
};

const char* SherpaOnnxGetVersionStr(void);
const char* SherpaOnnxGetOnnxruntimeVersionStr(void);

const SherpaOnnxOnlineRecognizer* SherpaOnnxCreateOnlineRecognizer(const SherpaOnnxOnlineRecognizerConfig* config);
void SherpaOnnxDestroyOnlineRecognizer(const SherpaOnnxOnlineRecognizer* recognizer);

const SherpaOnnxOnlineStream* SherpaOnnxCreateOnlineStream(const SherpaOnnxOnlineRecognizer* recognizer);
const SherpaOnnxOnlineStream* SherpaOnnxCreateOnlineStreamWithHotwords(const SherpaOnnxOnlineRecognizer* recognizer,
                                                                       const char* hotwords);
void SherpaOnnxDestroyOnlineStream(const SherpaOnnxOnlineStream* stream);

void SherpaOnnxOnlineStreamAcceptWaveform(const SherpaOnnxOnlineStream* stream, int32_t sample_rate,
                                          const float* samples, int32_t n);
int32_t SherpaOnnxIsOnlineStreamReady(const SherpaOnnxOnlineRecognizer* recognizer,
                                      const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDecodeOnlineStream(const SherpaOnnxOnlineRecognizer* recognizer, const SherpaOnnxOnlineStream* stream);

const SherpaOnnxOnlineRecognizerResult* SherpaOnnxGetOnlineStreamResult(const SherpaOnnxOnlineRecognizer* recognizer,
                                                                        const SherpaOnnxOnlineStream* stream);
void SherpaOnnxDestroyOnlineRecognizerResult(const SherpaOnnxOnlineRecognizerResult* result);

void SherpaOnnxOnlineStreamInputFinished(const SherpaOnnxOnlineStream* stream);
void SherpaOnnxOnlineStreamSetOption(const SherpaOnnxOnlineStream* stream, const char* key, const char* value);
}
