// Punctuates a 60-word Persian text, and runs the same token ids through the runtime's C interface
// with nothing around them, alternating the two in one run. Prints the number of model runs a
// text with one over-long word in the middle takes, then ratio=<ours/raw>.
//
// The model computes as much per token as a small token classifier: the test models' tiny tables
// run in microseconds, far below any real punctuation model, and would weigh our fixed work per
// text against a run no real model is that cheap for.

#include "Punctuation/Punctuator.h"
#include "Punctuation/WordPieceTokenizer.h"
#include "SpeechLibraries/OnnxRuntimeApi.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const QString folder = QStringLiteral(QUILLMARSH_BENCH_MODEL);

void check(const OrtApi* api, OrtStatus* status)
{
    if (status) {
        std::fprintf(stderr, "runtime: %s\n", api->GetErrorMessage(status));
        std::exit(1);
    }
}

// The bare C calls: a session made with the same options, then per run two tensors over
// ready-made buffers, Run, and a copy of the logits.
class RawRun {
public:
    explicit RawRun(const QString& model)
    {
        api_ = OrtGetApiBase()->GetApi(28);
        check(api_, api_->CreateEnv(ORT_LOGGING_LEVEL_WARNING, "bench", &env_));
        OrtSessionOptions* options = nullptr;
        check(api_, api_->CreateSessionOptions(&options));
        check(api_, api_->SetIntraOpNumThreads(options, 2));
        check(api_, api_->SetInterOpNumThreads(options, 1));
        check(api_, api_->SetSessionGraphOptimizationLevel(options, ORT_ENABLE_ALL));
        check(api_, api_->CreateSession(env_, model.toUtf8().constData(), options, &session_));
        api_->ReleaseSessionOptions(options);
        check(api_, api_->CreateCpuMemoryInfo(OrtArenaAllocator, OrtMemTypeDefault, &memory_));
    }
    ~RawRun()
    {
        api_->ReleaseSession(session_);
        api_->ReleaseMemoryInfo(memory_);
        api_->ReleaseEnv(env_);
    }

    float run(std::vector<int64_t>& ids, std::vector<int64_t>& mask)
    {
        const int64_t shape[2] = {1, int64_t(ids.size())};
        OrtValue* inputs[2] = {};
        check(api_, api_->CreateTensorWithDataAsOrtValue(memory_, ids.data(), ids.size() * 8, shape, 2,
                                                         ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64, &inputs[0]));
        check(api_, api_->CreateTensorWithDataAsOrtValue(memory_, mask.data(), mask.size() * 8, shape, 2,
                                                         ONNX_TENSOR_ELEMENT_DATA_TYPE_INT64, &inputs[1]));
        const char* names[2] = {"input_ids", "attention_mask"};
        const char* output = "logits";
        OrtValue* result = nullptr;
        check(api_, api_->Run(session_, nullptr, names, inputs, 2, &output, 1, &result));
        OrtTensorTypeAndShapeInfo* info = nullptr;
        check(api_, api_->GetTensorTypeAndShape(result, &info));
        size_t count = 0;
        check(api_, api_->GetTensorShapeElementCount(info, &count));
        void* data = nullptr;
        check(api_, api_->GetTensorMutableData(result, &data));
        std::vector<float> logits(static_cast<float*>(data), static_cast<float*>(data) + count);
        api_->ReleaseTensorTypeAndShapeInfo(info);
        api_->ReleaseValue(result);
        api_->ReleaseValue(inputs[0]);
        api_->ReleaseValue(inputs[1]);
        return logits.back();
    }

private:
    const OrtApi* api_ = nullptr;
    OrtEnv* env_ = nullptr;
    OrtSession* session_ = nullptr;
    OrtMemoryInfo* memory_ = nullptr;
};

QStringList persianWords(int count)
{
    const QStringList vocabulary = {
        QStringLiteral("سلام"), QStringLiteral("حال"),  QStringLiteral("شما"),          QStringLiteral("چطور"),
        QStringLiteral("است"),  QStringLiteral("من"),   QStringLiteral("خوبم"),         QStringLiteral("امروز"),
        QStringLiteral("کجا"),  QStringLiteral("کتاب"), QStringLiteral("خانه\u200Cها"), QStringLiteral("می\u200Cروم"),
    };
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << vocabulary[(i * 7) % vocabulary.size()];
    return words;
}

}

int main()
{
    Punctuator punctuator(folder, 2, Punctuator::defaultLabelBias);
    const WordPieceTokenizer tokenizer(folder + QStringLiteral("/tokenizer.json"));

    // Information: the windows before an over-long word shrink one word at a time.
    QStringList withLongWord = persianWords(60);
    QString longWord;
    for (int i = 0; i < 150; ++i)
        longWord += QStringLiteral("سلام،");
    withLongWord.insert(30, longWord);
    std::vector<int> counts;
    for (const QString& word : withLongWord)
        counts.push_back(std::max<int>(1, int(tokenizer.pieces(word).size())));
    std::printf("model runs for 60 words with one word of %zu pieces in the middle: %zu\n",
                tokenizer.pieces(longWord).size(), Punctuator::windows(counts).size());

    const QString text = persianWords(60).join(u' ');
    const WordPieceTokenizer::Encoding encoding = tokenizer.encode(persianWords(60));
    std::vector<int64_t> ids(encoding.ids.begin(), encoding.ids.end());
    std::vector<int64_t> mask(ids.size(), 1);
    RawRun raw(folder + QStringLiteral("/model.onnx"));

    // Short alternating rounds; the fastest round of each side stands for it, which keeps other
    // work on a shared machine out of the comparison.
    constexpr int rounds = 60, perRound = 5;
    Clock::duration ours = Clock::duration::max(), bare = Clock::duration::max();
    double sink = 0;
    for (int warmUp = 0; warmUp < 20; ++warmUp) {
        sink += punctuator.punctuate(text).size();
        sink += raw.run(ids, mask);
    }
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        for (int i = 0; i < perRound; ++i)
            sink += punctuator.punctuate(text).size();
        ours = std::min(ours, Clock::now() - start);
        start = Clock::now();
        for (int i = 0; i < perRound; ++i)
            sink += raw.run(ids, mask);
        bare = std::min(bare, Clock::now() - start);
    }
    using Micro = std::chrono::duration<double, std::micro>;
    std::printf("punctuator %.1f us, bare run %.1f us per text (%zu tokens; %g)\n", Micro(ours).count() / perRound,
                Micro(bare).count() / perRound, ids.size(), sink > 0 ? 1.0 : 0.0);
    std::printf("ratio=%.3f\n", Micro(ours).count() / Micro(bare).count());
}
