#pragma once
// Turns the presses of one dictation key into dictations: a small state machine (idle, holding,
// hands-free, finishing) that starts one session per dictation, forwards its partial text and
// level, and hands over the final text once, after the shell's transform. Main thread only.

#include "Core/Clock.h"
#include "DictationSession.h"
#include "Recognition/SpeechEngine.h"

#include <functional>
#include <memory>
#include <optional>
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
    // The samples kept from the last finished dictation.
    const std::vector<float>& lastAudio() const { return lastAudio_; }
    // Why the last finished dictation's speech stream failed, when it did and could say: its
    // final text is then only what was heard before.
    const std::optional<QString>& lastFailure() const { return lastFailure_; }

    std::function<void(Phase)> onPhase;
    std::function<void(const Partial&)> onPartial;
    std::function<void(float level)> onLevel;
    // The transformed final text and the seconds from the start of finishing to its arrival.
    std::function<void(const QString& text, double seconds)> onFinal;
    std::function<void()> onCancel;
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
    void forwardPartial(const Partial& partial);

    EngineProvider engineProvider_;
    Clock& clock_;
    Phase phase_ = Phase::idle;
    std::vector<float> lastAudio_;
    std::optional<QString> lastFailure_;
    std::unique_ptr<DictationSession> session_;
    Clock::TimePoint downAt_{};
    std::optional<Clock::TimePoint> lastTapAt_;  // nothing: no cancelling tap to pair with
    std::shared_ptr<DictationController*> self_;  // lets callbacks see the controller is gone
};
