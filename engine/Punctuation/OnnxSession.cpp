#include "Punctuation/OnnxSession.h"

#include "SpeechLibraries/HelperThreadSpin.h"

#include <algorithm>
#include <memory>

OnnxSession::OnnxSession(const QString& modelPath, int threads)
{
    const OrtApiBase* base = OrtGetApiBase();
    api_ = base ? base->GetApi(ortApiVersion) : nullptr;
    if (!api_)
        throw OnnxError(QStringLiteral("ONNX Runtime doesn't offer API version %1").arg(ortApiVersion));

    HelperThreadSpin::limit();
    try {
        check(api_->CreateEnv(ORT_LOGGING_LEVEL_WARNING, "quillmarsh", &env_));
        OrtSessionOptions* options = nullptr;
        check(api_->CreateSessionOptions(&options));
        try {
            check(api_->SetIntraOpNumThreads(options, threads));
            check(api_->SetInterOpNumThreads(options, 1));
            check(api_->SetSessionGraphOptimizationLevel(options, ORT_ENABLE_ALL));
            const QByteArray path = modelPath.toUtf8();
            check(api_->CreateSession(env_, path.constData(), options, &session_));
            check(api_->CreateCpuMemoryInfo(OrtArenaAllocator, OrtMemTypeDefault, &memory_));
            OrtAllocator* allocator = nullptr;
            check(api_->GetAllocatorWithDefaultOptions(&allocator));
            size_t count = 0;
            check(api_->SessionGetInputCount(session_, &count));
            for (size_t index = 0; index < count; ++index) {
                char* name = nullptr;
                check(api_->SessionGetInputName(session_, index, allocator, &name));
                if (!name)
                    continue;
                try {
                    inputNames_.emplace_back(name);
                } catch (...) {
                    api_->ReleaseStatus(api_->AllocatorFree(allocator, name));
                    throw;
                }
                check(api_->AllocatorFree(allocator, name));
            }
        } catch (...) {
            api_->ReleaseSessionOptions(options);
            throw;
        }
        api_->ReleaseSessionOptions(options);
    } catch (...) {
        release();
        throw;
    }
}

OnnxSession::~OnnxSession()
{
    release();
}

void OnnxSession::check(OrtStatus* status)
{
    if (!status)
        return;
    const char* message = api_->GetErrorMessage(status);
    const QString text = message ? QString::fromUtf8(message) : QStringLiteral("unknown ONNX Runtime error");
    api_->ReleaseStatus(status);
    throw OnnxError(text);
}

void OnnxSession::release()
{
    if (session_)
        api_->ReleaseSession(session_);
    if (memory_)
        api_->ReleaseMemoryInfo(memory_);
    if (env_)
        api_->ReleaseEnv(env_);
    session_ = nullptr;
    memory_ = nullptr;
    env_ = nullptr;
}

std::vector<float> OnnxSession::run(const Inputs& inputs, size_t length, const std::string& output)
{
    const int64_t shape[2] = {1, static_cast<int64_t>(length)};

    // The tensors point into these buffers without owning them; declared first, they are freed
    // only after every tensor has been released.
    std::vector<std::unique_ptr<int64_t[]>> buffers;

    // Whatever this run obtained from the runtime goes back on every way out.
    struct Owned {
        const OrtApi* api;
        std::vector<OrtValue*> tensors;
        OrtValue* result = nullptr;
        OrtTensorTypeAndShapeInfo* info = nullptr;
        ~Owned()
        {
            if (info)
                api->ReleaseTensorTypeAndShapeInfo(info);
            if (result)
                api->ReleaseValue(result);
            for (OrtValue* tensor : tensors)
                api->ReleaseValue(tensor);
        }
    } owned{api_, {}};

    buffers.reserve(inputNames_.size());
    owned.tensors.reserve(inputNames_.size());

    std::vector<const char*> names;
    names.reserve(inputNames_.size());
    for (const std::string& name : inputNames_) {
        const auto entry = inputs.find(name);
        if (entry == inputs.end() || entry->second.size() != length)
            throw OnnxError(QStringLiteral("missing or wrong-length input ") + QString::fromStdString(name));
        buffers.push_back(std::make_unique_for_overwrite<int64_t[]>(length ? length : 1));
        std::copy(entry->second.begin(), entry->second.end(), buffers.back().get());
        OrtValue* tensor = nullptr;
        check(api_->CreateTensorWithDataAsOrtValue(memory_, buffers.back().get(), length * sizeof(int64_t), shape, 2,
                                                   ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64, &tensor));
        owned.tensors.push_back(tensor);
        names.push_back(name.c_str());
    }

    const char* outputName = output.c_str();
    check(api_->Run(session_, nullptr, names.data(), owned.tensors.data(), owned.tensors.size(), &outputName, 1,
                    &owned.result));
    check(api_->GetTensorTypeAndShape(owned.result, &owned.info));
    size_t count = 0;
    check(api_->GetTensorShapeElementCount(owned.info, &count));
    void* data = nullptr;
    check(api_->GetTensorMutableData(owned.result, &data));
    if (!data)
        throw OnnxError(QStringLiteral("empty output"));
    const auto* values = static_cast<const float*>(data);
    return std::vector<float>(values, values + count);
}
