#pragma once
// A dictation that starts on the speech server with this computer as backup. It keeps a copy of
// all audio; when the server fails or has not acknowledged the stream in time, it opens a local
// stream, replays the copy into it, cancels the server stream and carries on locally, so no
// words are lost. Its owner hears once whether the server did its job, and gets refusals the
// application must act on.

#include "Cloud/CloudError.h"
#include "Core/Clock.h"
#include "Recognition/SpeechEngine.h"

#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class FailoverStream final : public SpeechStream, public std::enable_shared_from_this<FailoverStream> {
public:
    struct Options {
        // How long the primary may go without acknowledging the stream (seconds).
        double readyDeadline = 1.0;
        // Most samples kept for replay (300 s at 16 kHz); beyond it the copy is dropped.
        qint64 maxBufferedSamples = 4'800'000;
    };
    // Opens the local stream; may throw.
    using Fallback = std::function<std::shared_ptr<SpeechStream>()>;

    // Server error codes handed on to onRefusal.
    static inline const QSet<QString> refusalCodes{QStringLiteral("unauthorized")};

    // Build it with std::make_shared: the primary's finish completion holds it weakly. Only a
    // MonitoredStream primary is watched; any other is passed through.
    FailoverStream(std::shared_ptr<SpeechStream> primary, Options options, Clock& clock,
                   std::function<void(bool serverDelivered)> onOutcome,
                   std::function<void(const QString& code)> onRefusal, Fallback fallback);

    bool isUsingFallback();

    void accept(std::span<const float> samples) override;
    void decode() override;
    // The local stream's text once switched, else the server's.
    QString text() override;
    void finish(std::function<void(const QString&)> completion) override;
    void cancel() override;

private:
    void checkHealthLocked();
    void reportRefusalLocked(const CloudError& error);
    void failOverLocked(const QString& reason);
    void reportOutcomeLocked(bool serverDelivered);
    void primaryFinished(const QString& primaryText, const std::function<void(const QString&)>& completion);

    // Recursive: the inner streams and callbacks run while it is held and may call back in.
    std::recursive_mutex lock_;
    const std::shared_ptr<SpeechStream> primary_;
    const Fallback makeFallback_;
    const Options options_;
    Clock& clock_;
    const std::function<void(bool)> onOutcome_;
    const std::function<void(const QString&)> onRefusal_;
    const Clock::TimePoint openedAt_;
    bool refusalReported_ = false;
    std::vector<float> buffer_;
    bool bufferComplete_ = true;
    std::shared_ptr<SpeechStream> fallback_;
    bool fallbackUnavailable_ = false;
    bool finished_ = false;
    bool cancelled_ = false;
    bool reported_ = false;
};
