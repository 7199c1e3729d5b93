#pragma once
// One ONNX model loaded into an ONNX Runtime session on the CPU, run with 64-bit integer inputs
// of shape [1, n] and handing back one float output as a flat list. The only place that runs our
// own models through the runtime. Not thread-safe: callers serialise every use.

#include "Punctuation/OnnxError.h"
#include "SpeechLibraries/OnnxRuntimeApi.h"

#include <QString>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class OnnxSession {
public:
    using Inputs = std::unordered_map<std::string, std::vector<int64_t>>;

    // Throws OnnxError; a failed creation leaves no runtime object alive.
    OnnxSession(const QString& modelPath, int threads);
    ~OnnxSession();

    OnnxSession(const OnnxSession&) = delete;
    OnnxSession& operator=(const OnnxSession&) = delete;

    // Every input the model declares must be in the map with exactly `length` values; entries
    // the model doesn't declare are ignored. Throws OnnxError; the session stays usable.
    std::vector<float> run(const Inputs& inputs, size_t length, const std::string& output);

    // The model's inputs, in the order the model declares them.
    const std::vector<std::string>& inputNames() const { return inputNames_; }

private:
    void check(OrtStatus* status);
    void release();

    const OrtApi* api_ = nullptr;
    OrtEnv* env_ = nullptr;
    OrtSession* session_ = nullptr;
    OrtMemoryInfo* memory_ = nullptr;
    std::vector<std::string> inputNames_;
};
