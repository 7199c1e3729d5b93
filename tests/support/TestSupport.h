#pragma once
// What many tests need: the synthetic models, environment variables set for one test, a
// private folder, and waiting for the main thread's event loop.

#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace TestModels {
QString transducer();  // greedy search: loud audio reads "HELLO WORLD"
QString transducerBpe();  // with bpe.vocab: beam search and hotwords ("WORD" gives "HELLO WORD")
QString transducerBench();  // greedy, with an encoder that costs what a real one does per call
// model.onnx (label of id t is t mod 5), variants, and tokenizer.json (see make_test_models.py)
QString punctuation();
}

namespace TestAudio {
std::vector<float> silence(double seconds);
// Uniform noise of amplitude 0.3: loud enough for the synthetic transducer to read words.
std::vector<float> noise(double seconds);
}

// Sets (or, with nullopt, unsets) an environment variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<QString> value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    QByteArray name_;
    std::optional<QByteArray> previous_;
};

// Runs the main thread's event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));
