#pragma once
// The pill: a small frameless window near the bottom of the screen, above every other window,
// that never takes the keyboard focus (so a paste goes where the user was typing). It appears
// 0.12 s after the key goes down and shows listening with the orb following the level, the words
// as they arrive (the trailing ones that may still change drawn as settling), a clock in
// hands-free, the outcome (a long one on the lines it needs, the pill growing upwards to hold
// them), and after an improvement an Undo.

#include "Core/Clock.h"
#include "Recognition/SpeechEngine.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

class QQuickView;

class PillController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the dictation flow")
    Q_PROPERTY(QString mode READ mode NOTIFY changed)
    Q_PROPERTY(QString stableText READ stableText NOTIFY changed)
    Q_PROPERTY(QString settlingText READ settlingText NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(QString clock READ clock NOTIFY changed)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY changed)
    Q_PROPERTY(bool animating READ animating NOTIFY changed)
    Q_PROPERTY(int orbMode READ orbMode NOTIFY changed)
    Q_PROPERTY(double level READ level NOTIFY levelChanged)

public:
    // What the pill shows; the raw value is the QML's `mode`.
    enum class Mode { listening, handsFree, finishing, inserted, copied, nothingHeard, failed, improved };

    static constexpr Clock::Duration showDelay = std::chrono::milliseconds(120);
    static constexpr Clock::Duration clockTick = std::chrono::milliseconds(250);
    static constexpr Clock::Duration outcomeTime = std::chrono::milliseconds(1500);
    static constexpr Clock::Duration undoTime = std::chrono::seconds(4);
    // A failure stays until it can be read: this long, and this much more for each word.
    static constexpr Clock::Duration failureTime = std::chrono::seconds(2);
    static constexpr Clock::Duration failureTimePerWord = std::chrono::milliseconds(300);

    explicit PillController(Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~PillController() override;

    // A dictation starts: the pill shows listening after the show delay.
    void start();
    void setMode(Mode mode);
    void setPartial(const Partial& partial);
    void setLevel(float level);
    // Shows at once, in the current mode.
    void show();
    // Hides at once (a cancel).
    void dismiss();
    // Shows an outcome for a moment; `message` is its text. An improvement may offer Undo.
    void showOutcome(Mode mode, const QString& message, bool offersUndo = false);
    // Takes back the Undo on offer: it could no longer undo anything.
    void withdrawUndo();

    // Called when the user presses Undo.
    std::function<void()> onUndo;

    QString mode() const;
    QString stableText() const { return stableText_; }
    QString settlingText() const { return settlingText_; }
    QString message() const { return message_; }
    QString clock() const;
    bool canUndo() const { return offersUndo_ && bool(onUndo); }
    bool animating() const;
    int orbMode() const;
    double level() const { return level_; }
    bool isShown() const;
    // The window, made on first show; nothing before.
    QQuickView* window() const { return window_.get(); }

    Q_INVOKABLE void undo();

signals:
    void changed();
    void levelChanged();

private:
    // Sizes the window to its face (one line, or the lines of a message) near the bottom of the screen.
    void place();
    void hideAfter(Clock::Duration delay);
    void tick();
    void cancelTimers();

    Clock& clock_;
    Mode mode_ = Mode::listening;
    QString stableText_;
    QString settlingText_;
    QString message_;
    bool offersUndo_ = false;
    double level_ = 0;
    Clock::TimePoint handsFreeSince_{};
    std::unique_ptr<QQuickView> window_;
    std::shared_ptr<ScheduledWork> showing_;
    std::shared_ptr<ScheduledWork> hiding_;
    std::shared_ptr<ScheduledWork> ticking_;
};
