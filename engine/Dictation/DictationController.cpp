#include "DictationController.h"

#include "Core/Log.h"
#include "Sound/AudioInputError.h"
#include "Sound/Microphone.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace {

QString describe(const std::exception& error)
{
    return QString::fromUtf8(error.what());
}

void unavailable(const std::function<void(const QString&)>& callback, const QString& reason)
{
    Log::info(QStringLiteral("dictation can't start: ") + reason);
    if (callback)
        callback(reason);
}

}

DictationController::DictationController(EngineProvider engineProvider, Clock& clock)
    : makeSource([] { return std::make_shared<Microphone>(); }), engineProvider_(std::move(engineProvider)),
      clock_(clock), self_(this)
{
}

DictationController::~DictationController() = default;

void DictationController::setPhase(Phase phase)
{
    if (phase_ == phase)
        return;
    phase_ = phase;
    if (onPhase)
        onPhase(phase);
}

void DictationController::keyDown()
{
    const Clock::TimePoint now = clock_.now();
    switch (phase_) {
    case Phase::idle:
        downAt_ = now;
        if (startSession())
            setPhase(Phase::holding);
        break;
    case Phase::handsFree:
        // The press that follows is measured from here.
        downAt_ = now;
        break;
    case Phase::holding:
    case Phase::finishing:
        break;
    }
}

void DictationController::keyUp(bool chord)
{
    const Clock::TimePoint now = clock_.now();
    const Clock::Duration held = now - downAt_;
    switch (phase_) {
    case Phase::holding:
        if (chord) {
            cancel();
        } else if (held >= tapMax) {
            finish();
        } else if (lastTapAt_ && now - *lastTapAt_ < doubleTapWindow) {
            // The second tap: the dictation it started goes on, hands-free.
            lastTapAt_.reset();
            setPhase(Phase::handsFree);
            Log::info(QStringLiteral("hands-free on"));
        } else {
            lastTapAt_ = now;
            cancel();
        }
        break;
    case Phase::handsFree:
        if (!chord && held < tapMax)
            finish();
        break;
    case Phase::idle:
    case Phase::finishing:
        break;
    }
}

void DictationController::escape()
{
    if (phase_ != Phase::holding && phase_ != Phase::handsFree)
        return;
    Log::info(QStringLiteral("cancelled"));
    cancel();
}

bool DictationController::startSession()
{
    const std::shared_ptr<SpeechEngine> engine = engineProvider_ ? engineProvider_() : nullptr;
    if (!engine) {
        unavailable(onUnavailable, QStringLiteral("the speech model isn't ready yet"));
        return false;
    }
    const QStringList words = hotwords();
    if (!words.isEmpty())
        Log::info(QStringLiteral("dictation with %1 vocabulary word(s)").arg(words.size()));

    const Clock::TimePoint t0 = clock_.now();
    std::unique_ptr<DictationSession> session;
    try {
        session = std::make_unique<DictationSession>(*engine, words, makeSource);
    } catch (const std::exception& error) {
        unavailable(onUnavailable,
                    QStringLiteral("the speech engine couldn't start (") + describe(error) + QLatin1Char(')'));
        return false;
    }
    const Clock::TimePoint t1 = clock_.now();

    const std::weak_ptr<DictationController*> controller = self_.weak();
    // A session's callbacks end with it, and the controller drops it the moment a dictation is
    // cancelled: a cancelled dictation's words never show, not even in the next one.
    session->onPartial = [controller](const Partial& partial) {
        if (const auto alive = controller.lock())
            (*alive)->forwardPartial(partial);
    };
    session->onLevel = [controller](float level) {
        if (const auto alive = controller.lock(); alive && (*alive)->onLevel)
            (*alive)->onLevel(level);
    };
    session->onInputLost = [controller, raw = session.get()](const QString& reason) {
        if (const auto alive = controller.lock())
            (*alive)->inputLost(raw, reason);
    };
    session->keepsAudio = keepsAudio();

    try {
        session->start();
    } catch (const AudioInputError& error) {
        session->cancel();
        unavailable(onUnavailable, error.description());
        return false;
    } catch (const std::exception& error) {
        session->cancel();
        unavailable(onUnavailable,
                    QStringLiteral("the microphone couldn't start (") + describe(error) + QLatin1Char(')'));
        return false;
    }

    session_ = std::move(session);
    inputLoss_.reset();
    const Clock::TimePoint t2 = clock_.now();
    Log::info(QString::asprintf("dictation start: engine %.0f ms, microphone %.0f ms", seconds(t1 - t0) * 1000,
                                seconds(t2 - t1) * 1000));
    return true;
}

void DictationController::forwardPartial(const Partial& partial)
{
    if (!onPartial)
        return;
    const QString text = transform(partial.text);
    if (text == partial.text) {
        onPartial(partial);
        return;
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    onPartial(Partial{text, words, static_cast<int>(std::min<qsizetype>(words.size(), partial.settlingCount))});
}

void DictationController::finish()
{
    if (!session_) {
        setPhase(Phase::idle);
        return;
    }
    setPhase(Phase::finishing);
    const Clock::TimePoint finishingAt = clock_.now();
    const std::weak_ptr<DictationController*> controller = self_.weak();
    session_->finish([controller, session = session_.get(), finishingAt](const QString& text) {
        const auto alive = controller.lock();
        // Only the session under way hands over its text.
        if (!alive || (*alive)->session_.get() != session)
            return;
        DictationController& self = **alive;
        self.lastAudio_ = session->keepsAudio ? session->takeRecordedAudio() : std::vector<float>();
        self.lastFailure_ = session->failure();
        self.lastInputLoss_ = std::exchange(self.inputLoss_, std::nullopt);
        self.session_.reset();
        self.setPhase(Phase::idle);
        if (self.onFinal) {
            const QString finalText = self.transform(text);
            self.onFinal(finalText, seconds(self.clock_.now() - finishingAt));
        }
    });
}

void DictationController::inputLost(const DictationSession* session, const QString& reason)
{
    if (session != session_.get() || (phase_ != Phase::holding && phase_ != Phase::handsFree))
        return;
    Log::info(QStringLiteral("dictation ended: ") + reason);
    inputLoss_ = reason;
    finish();
}

void DictationController::cancel()
{
    if (session_)
        session_->cancel();
    session_.reset();
    setPhase(Phase::idle);
    if (onCancel)
        onCancel();
}
