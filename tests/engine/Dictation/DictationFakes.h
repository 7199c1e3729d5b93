#pragma once
// Stand-ins for a speech engine, its stream and an audio source, scriptable and thread-safe, so
// the dictation controller and session can be driven without a model or a microphone.

#include "Core/Error.h"
#include "Core/MainThread.h"
#include "Recognition/SpeechEngine.h"
#include "Sound/AudioInputError.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class FakeStream final : public SpeechStream {
public:
    enum class Completion { inside, laterFromAnotherThread, byTest };

    // The text after the n-th block (1-based); the last one holds for later blocks.
    QStringList texts;
    QString finalText = QStringLiteral("final words");
    Completion completion = Completion::inside;

    void accept(std::span<const float>) override
    {
        checkQueue();
        ++blocks_;
    }
    void decode() override { checkQueue(); }
    QString text() override
    {
        checkQueue();
        if (texts.isEmpty() || blocks_ == 0)
            return QString();
        return texts.at(std::min<qsizetype>(static_cast<qsizetype>(blocks_), texts.size()) - 1);
    }
    void finish(std::function<void(const QString&)> done) override
    {
        checkQueue();
        if (completion == Completion::inside) {
            done(finalText);
        } else if (completion == Completion::laterFromAnotherThread) {
            std::thread([done, text = finalText] { done(text); }).detach();
        } else {
            std::lock_guard lock(mutex_);
            pending_ = std::move(done);
        }
        ++finishes;
    }
    void cancel() override
    {
        checkQueue();
        ++cancels;
    }

    // Delivers the final text held back by a Completion::byTest stream.
    void complete()
    {
        std::function<void(const QString&)> done;
        {
            std::lock_guard lock(mutex_);
            done.swap(pending_);
        }
        done(finalText);
    }

    size_t blocks() const { return blocks_; }

    std::atomic<int> finishes{0}, cancels{0};
    // Set when a call came from the main thread or from two threads: the session's promise.
    std::atomic<bool> calledOffQueue{false};

private:
    void checkQueue()
    {
        std::lock_guard lock(mutex_);
        const auto current = std::this_thread::get_id();
        if (!thread_)
            thread_ = current;
        if (*thread_ != current || isMainThread())
            calledOffQueue = true;
    }

    std::mutex mutex_;
    std::atomic<size_t> blocks_{0};
    std::optional<std::thread::id> thread_;
    std::function<void(const QString&)> pending_;
};

class FakeEngine final : public SpeechEngine {
public:
    // Configures each new stream before it is handed out.
    std::function<void(FakeStream&)> configure;
    QString failure;  // when set, openStream throws an Error with this text

    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override
    {
        lastHotwords = hotwords;
        if (!failure.isEmpty())
            throw Error(failure);
        auto stream = std::make_shared<FakeStream>();
        if (configure)
            configure(*stream);
        streams.push_back(stream);
        return stream;
    }

    std::vector<std::shared_ptr<FakeStream>> streams;
    QStringList lastHotwords;
};

class FakeSource final : public AudioSource {
public:
    QString failure;  // when set, start() throws an Error with this text
    std::optional<AudioInputError> inputFailure;  // when set, start() throws it

    void start() override
    {
        if (inputFailure)
            throw *inputFailure;
        if (!failure.isEmpty())
            throw Error(failure);
    }
    void stop() override { ++stops; }

    // Delivers a block as the audio thread would.
    void push(const std::vector<float>& samples, float level = 0.1f)
    {
        if (onAudio)
            onAudio(samples, level);
    }

    // The input goes away, told from another thread as a sound server's thread tells it.
    void lose(const QString& reason)
    {
        std::thread([this, reason] {
            if (onFailure)
                onFailure(reason);
        }).join();
    }

    int stops = 0;
};
