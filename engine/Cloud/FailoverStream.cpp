#include "Cloud/FailoverStream.h"

#include "Cloud/MonitoredStream.h"
#include "Core/Log.h"

#include <QLocale>
#include <QThreadPool>

namespace {

// The shortest text that reads back as the same number, always with a fractional digit.
QString secondsText(double seconds)
{
    QString text = QString::number(seconds, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QStringLiteral(".0");
    return text;
}

}

FailoverStream::FailoverStream(std::shared_ptr<SpeechStream> primary, Options options, Clock& clock,
                               std::function<void(bool)> onOutcome, std::function<void(const QString&)> onRefusal,
                               Fallback fallback)
    : primary_(std::move(primary)), makeFallback_(std::move(fallback)), options_(options), clock_(clock),
      onOutcome_(std::move(onOutcome)), onRefusal_(std::move(onRefusal)), openedAt_(clock.now())
{
}

bool FailoverStream::isUsingFallback()
{
    std::lock_guard guard(lock_);
    return fallback_ != nullptr;
}

void FailoverStream::accept(std::span<const float> samples)
{
    std::lock_guard guard(lock_);
    if (finished_ || cancelled_)
        return;
    if (fallback_) {
        fallback_->accept(samples);
        return;
    }
    if (bufferComplete_) {
        if (std::ssize(buffer_) + std::ssize(samples) <= options_.maxBufferedSamples) {
            buffer_.insert(buffer_.end(), samples.begin(), samples.end());
        } else {
            // Dropped rather than trimmed: a copy missing its start is useless for a replay.
            buffer_ = {};
            bufferComplete_ = false;
        }
    }
    primary_->accept(samples);
    checkHealthLocked();
}

void FailoverStream::decode()
{
    std::lock_guard guard(lock_);
    if (finished_ || cancelled_)
        return;
    if (!fallback_)
        checkHealthLocked();
    (fallback_ ? fallback_ : primary_)->decode();
}

QString FailoverStream::text()
{
    std::lock_guard guard(lock_);
    return (fallback_ ? fallback_ : primary_)->text();
}

void FailoverStream::checkHealthLocked()
{
    if (fallback_ || fallbackUnavailable_)
        return;
    auto* monitored = dynamic_cast<MonitoredStream*>(primary_.get());
    if (!monitored)
        return;
    if (const auto failure = monitored->failure()) {
        reportRefusalLocked(*failure);
        failOverLocked(failure->description());
        return;
    }
    if (monitored->isReady())
        return;
    if (seconds(clock_.now() - openedAt_) > options_.readyDeadline)
        failOverLocked(QStringLiteral("no answer within ") + secondsText(options_.readyDeadline)
                       + QStringLiteral(" s"));
}

void FailoverStream::reportRefusalLocked(const CloudError& error)
{
    if (refusalReported_ || error.kind() != CloudError::Kind::server || !refusalCodes.contains(error.detail()))
        return;
    refusalReported_ = true;
    if (onRefusal_)
        onRefusal_(error.detail());
}

void FailoverStream::failOverLocked(const QString& reason)
{
    if (fallback_ || fallbackUnavailable_)
        return;
    const QString start = QStringLiteral("cloud dictation failed (") + reason;
    if (!bufferComplete_) {
        Log::info(start + QStringLiteral(") but it's too long to replay; staying with the server"));
        fallbackUnavailable_ = true;
    } else {
        try {
            std::shared_ptr<SpeechStream> local = makeFallback_();
            local->accept(buffer_);
            buffer_ = {};
            fallback_ = std::move(local);
            primary_->cancel();
            Log::info(start + QStringLiteral("); continuing on this computer"));
        } catch (const std::exception& error) {
            Log::info(start + QStringLiteral(") and this computer couldn't take over: ")
                      + QString::fromUtf8(error.what()));
            fallbackUnavailable_ = true;
        }
    }
    reportOutcomeLocked(false);
}

void FailoverStream::reportOutcomeLocked(bool serverDelivered)
{
    if (reported_)
        return;
    reported_ = true;
    if (onOutcome_)
        onOutcome_(serverDelivered);
}

void FailoverStream::finish(std::function<void(const QString&)> completion)
{
    std::shared_ptr<SpeechStream> local;
    {
        std::lock_guard guard(lock_);
        if (finished_ || cancelled_)
            return;
        finished_ = true;
        if (!fallback_)
            checkHealthLocked();
        local = fallback_;
    }
    if (local) {
        local->finish(std::move(completion));
        return;
    }
    primary_->finish([weak = weak_from_this(), completion = std::move(completion)](const QString& primaryText) {
        auto self = weak.lock();
        if (!self) {
            completion(primaryText);
            return;
        }
        // Off the primary's thread: the local finish may take a while to decode the replay.
        QThreadPool::globalInstance()->start(
            [self, primaryText, completion] { self->primaryFinished(primaryText, completion); });
    });
}

void FailoverStream::primaryFinished(const QString& primaryText, const std::function<void(const QString&)>& completion)
{
    std::shared_ptr<SpeechStream> local;
    {
        std::lock_guard guard(lock_);
        bool serverDelivered = true;
        if (auto* monitored = dynamic_cast<MonitoredStream*>(primary_.get())) {
            if (const auto failure = monitored->failure()) {
                reportRefusalLocked(*failure);
                failOverLocked(QStringLiteral("the server didn't deliver the final text"));
                serverDelivered = false;
            }
        }
        if (!fallback_)
            reportOutcomeLocked(serverDelivered);
        local = fallback_;
    }
    if (local)
        local->finish(completion);
    else
        completion(primaryText);
}

void FailoverStream::cancel()
{
    std::lock_guard guard(lock_);
    if (cancelled_)
        return;
    cancelled_ = true;
    buffer_ = {};
    primary_->cancel();
    if (fallback_)
        fallback_->cancel();
}
