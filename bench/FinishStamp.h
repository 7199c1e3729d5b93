#pragma once
// A speech engine that passes everything to another and notes when a stream's finish has the
// final text, on whatever thread the finish runs: the moment the recogniser's work ends, without
// the hop to the main thread after it.

#include "Recognition/SpeechEngine.h"

#include <atomic>
#include <chrono>

class FinishStamp final : public SpeechEngine {
public:
    explicit FinishStamp(SpeechEngine& engine) : engine_(engine) {}

    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override
    {
        return std::make_shared<Stream>(engine_.openStream(hotwords), finishedAt);
    }

    std::atomic<std::chrono::steady_clock::time_point> finishedAt;

private:
    struct Stream final : SpeechStream {
        Stream(std::shared_ptr<SpeechStream> stream, std::atomic<std::chrono::steady_clock::time_point>& stamp)
            : inner(std::move(stream)), at(stamp)
        {
        }
        void accept(std::span<const float> samples) override { inner->accept(samples); }
        void decode() override { inner->decode(); }
        QString text() override { return inner->text(); }
        void finish(std::function<void(const QString&)> completion) override
        {
            inner->finish([&stamp = at, completion](const QString& text) {
                stamp = std::chrono::steady_clock::now();
                completion(text);
            });
        }
        void cancel() override { inner->cancel(); }

        std::shared_ptr<SpeechStream> inner;
        std::atomic<std::chrono::steady_clock::time_point>& at;
    };

    SpeechEngine& engine_;
};
