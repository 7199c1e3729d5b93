#pragma once
// Turns the presses of one dictation key into dictations: a small state machine (idle, holding,
// hands-free, finishing) that starts one session per dictation, forwards its partial text and
// level, and hands over the final text once, after the shell's transform. Main thread only.

#include "Core/Clock.h"
#include "Core/Lifeline.h"
#include "DictationSession.h"
#include "Recognition/SpeechEngine.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DictationController {
public:
    enum class Phase { idle, holding, handsFree, finishing };

    using EngineProvider = std::function<std::shared_ptr<SpeechEngine>()>;

    // A release sooner than this after the key went down is a tap.
    static constexpr Clock::Duration tapMax = std::chrono::milliseconds(260);
    // A tap released less than this after the previous cancelling tap's release turns hands-free on.
    static constexpr Clock::Duration doubleTapWindow = std::chrono::milliseconds(500);

    explicit DictationController(EngineProvider engineProvider, Clock& clock = Clock::system());
    ~DictationController();
    DictationController(const DictationController&) = delete;
    DictationController& operator=(const DictationController&) = delete;

    Phase phase() const { return phase_; }
    // Hands over the samples kept from the last finished dictation (moved, never copied: ten
    // minutes are 38 MB); nothing is left behind.
    std::vector<float> takeLastAudio() { return std::exchange(lastAudio_, {}); }
    // Why the last finished dictation's speech stream failed, when it did and could say: its
    // final text is then only what was heard before.
    const std::optional<QString>& lastFailure() const { return lastFailure_; }
    // Why the last finished dictation's audio input stopped before the user ended it, in words
    // the user reads: its final text is what was heard until then.
    const std::optional<QString>& lastInputLoss() const { return lastInputLoss_; }

    std::function<void(Phase)> onPhase;
    std::function<void(const Partial&)> onPartial;
    std::function<void(float level)> onLevel;
    // The transformed final text and the seconds from the start of finishing to its arrival.
    std::function<void(const QString& text, double seconds)> onFinal;
    std::function<void()> onCancel;
    // A dictation failed to start; an audio input's failure is said in words the user reads.
    std::function<void(const QString& reason)> onUnavailable;

    // Asked once per start.
    std::function<bool()> keepsAudio = [] { return false; };
    std::function<QStringList()> hotwords = [] { return QStringList(); };
    // Applied to every partial text and to the final text.
    std::function<QString(const QString&)> transform = [](const QString& text) { return text; };
    // The audio source of each dictation: a new Microphone unless replaced.
    DictationSession::SourceFactory makeSource;

    void keyDown();
    // chord: another key or modifier was pressed while the dictation key was down.
    void keyUp(bool chord);
    void escape();

private:
    void setPhase(Phase phase);
    bool startSession();
    void finish();
    void cancel();
    // The session's input went away: it ends as if the user had let go.
    void inputLost(const DictationSession* session, const QString& reason);
    void forwardPartial(const Partial& partial);

    EngineProvider engineProvider_;
    Clock& clock_;
    Phase phase_ = Phase::idle;
    std::vector<float> lastAudio_;
    std::optional<QString> lastFailure_;
    std::optional<QString> lastInputLoss_;
    std::optional<QString> inputLoss_;  // of the dictation under way
    std::unique_ptr<DictationSession> session_;
    Clock::TimePoint downAt_{};
    std::optional<Clock::TimePoint> lastTapAt_;  // nothing: no cancelling tap to pair with
    const Lifeline<DictationController> self_;  // lets callbacks see the controller is gone
};
