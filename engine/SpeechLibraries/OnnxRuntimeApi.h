#pragma once
// Our declarations of the parts of the ONNX Runtime 1.28.2 C interface (API version 28) that we
// call. The function table is only ever appended to, so each entry sits at a fixed index; the
// entries we never call are kept as reserved slots to hold the others in place. The layout test
// checks the offsets.

#include <cstddef>
#include <cstdint>

// The table version we ask for: every entry declared below exists in it.
constexpr uint32_t ortApiVersion = 28;

extern "C" {

struct OrtEnv;
struct OrtStatus;
struct OrtSession;
struct OrtSessionOptions;
struct OrtMemoryInfo;
struct OrtValue;
struct OrtRunOptions;
struct OrtTensorTypeAndShapeInfo;
struct OrtAllocator;

enum OrtLoggingLevel { ORT_LOGGING_LEVEL_WARNING = 2 };
enum GraphOptimizationLevel { ORT_ENABLE_ALL = 99 };
enum OrtAllocatorType { OrtArenaAllocator = 1 };
enum OrtMemType { OrtMemTypeDefault = 0 };
enum ONNXTensorElementDataType { ONNX_TENSOR_ELEMENT_DATA_TYPE_FLOAT = 1, ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64 = 7 };

using OrtReservedEntry = void (*)();

struct OrtApi {
    OrtReservedEntry reserved0;
    OrtReservedEntry reserved1;
    const char* (*GetErrorMessage)(const OrtStatus* status);  // 2
    OrtStatus* (*CreateEnv)(OrtLoggingLevel level, const char* logId, OrtEnv** out);  // 3
    OrtReservedEntry reserved4to6[3];
    OrtStatus* (*CreateSession)(const OrtEnv* env, const char* modelPath, const OrtSessionOptions* options,
                                OrtSession** out);  // 7
    OrtReservedEntry reserved8;
    OrtStatus* (*Run)(OrtSession* session, const OrtRunOptions* runOptions, const char* const* inputNames,
                      const OrtValue* const* inputs, size_t inputCount, const char* const* outputNames,
                      size_t outputCount, OrtValue** outputs);  // 9
    OrtStatus* (*CreateSessionOptions)(OrtSessionOptions** out);  // 10
    OrtReservedEntry reserved11to22[12];
    OrtStatus* (*SetSessionGraphOptimizationLevel)(OrtSessionOptions* options, GraphOptimizationLevel level);  // 23
    OrtStatus* (*SetIntraOpNumThreads)(OrtSessionOptions* options, int threads);  // 24
    OrtStatus* (*SetInterOpNumThreads)(OrtSessionOptions* options, int threads);  // 25
    OrtReservedEntry reserved26to29[4];
    OrtStatus* (*SessionGetInputCount)(const OrtSession* session, size_t* out);  // 30
    OrtReservedEntry reserved31to35[5];
    OrtStatus* (*SessionGetInputName)(const OrtSession* session, size_t index, OrtAllocator* allocator,
                                      char** out);  // 36
    OrtReservedEntry reserved37to48[12];
    OrtStatus* (*CreateTensorWithDataAsOrtValue)(const OrtMemoryInfo* info, void* data, size_t dataBytes,
                                                 const int64_t* shape, size_t shapeRank, ONNXTensorElementDataType type,
                                                 OrtValue** out);  // 49
    OrtReservedEntry reserved50;
    OrtStatus* (*GetTensorMutableData)(OrtValue* value, void** out);  // 51
    OrtReservedEntry reserved52to63[12];
    OrtStatus* (*GetTensorShapeElementCount)(const OrtTensorTypeAndShapeInfo* info, size_t* out);  // 64
    OrtStatus* (*GetTensorTypeAndShape)(const OrtValue* value, OrtTensorTypeAndShapeInfo** out);  // 65
    OrtReservedEntry reserved66to68[3];
    OrtStatus* (*CreateCpuMemoryInfo)(OrtAllocatorType allocatorType, OrtMemType memType, OrtMemoryInfo** out);  // 69
    OrtReservedEntry reserved70to75[6];
    OrtStatus* (*AllocatorFree)(OrtAllocator* allocator, void* pointer);  // 76
    OrtReservedEntry reserved77;
    OrtStatus* (*GetAllocatorWithDefaultOptions)(OrtAllocator** out);  // 78
    OrtReservedEntry reserved79to91[13];
    void (*ReleaseEnv)(OrtEnv* env);  // 92
    void (*ReleaseStatus)(OrtStatus* status);  // 93
    void (*ReleaseMemoryInfo)(OrtMemoryInfo* info);  // 94
    void (*ReleaseSession)(OrtSession* session);  // 95
    void (*ReleaseValue)(OrtValue* value);  // 96
    OrtReservedEntry reserved97to98[2];
    void (*ReleaseTensorTypeAndShapeInfo)(OrtTensorTypeAndShapeInfo* info);  // 99
    void (*ReleaseSessionOptions)(OrtSessionOptions* options);  // 100
    OrtReservedEntry reserved101to129[29];
    OrtStatus* (*AddSessionConfigEntry)(OrtSessionOptions* options, const char* key, const char* value);  // 130
};

struct OrtApiBase {
    const OrtApi* (*GetApi)(uint32_t version);
    const char* (*GetVersionString)();
};

const OrtApiBase* OrtGetApiBase();
}
