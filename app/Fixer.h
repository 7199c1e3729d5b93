#pragma once
// Replaces a pasted text in place with its improvement once the formatting server answers, no
// sooner than 0.65 s after the paste and only if the user hasn't typed, clicked or moved on: the
// focused element is read through the accessibility interface, the pasted text located before
// the caret and replaced there; where the field can't be read the paste is undone with Control-Z
// and the improvement pasted instead. Undo puts the dictated text back.

#include "Core/Clock.h"
#include "FocusedText.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class DesktopWindows;
class Inserter;
class InputWatcher;
class KeyPoster;

class Fixer {
public:
    static constexpr Clock::Duration settleTime = std::chrono::milliseconds(650);
    static constexpr Clock::Duration undoPause = std::chrono::milliseconds(150);

    struct Paste {
        QString text;
        std::optional<FocusedElement> element;  // where it went, when the accessibility interface said
        quint64 windowId = 0;  // the front window it went to
        std::optional<QString> appID;
        Clock::TimePoint at;
    };

    Fixer(FocusedText& focus, DesktopWindows& windows, InputWatcher& input, Inserter& inserter, KeyPoster& keys,
          Clock& clock = Clock::system());

    // A paste has just happened: the user's actions count from now. Forgets any earlier paste.
    void pasted(const Paste& paste);
    // Replaces the paste with the improved text when the rules allow it; `done` is told whether the
    // field now holds it. Nothing happens after forget() or another paste.
    void improve(const QString& improved, std::function<void(bool replaced)> done);
    // Puts the dictated text back over the improvement; false when the field no longer shows it.
    bool undo();
    void forget();

private:
    void apply(const QString& improved, const std::function<void(bool)>& done);
    bool sameTarget() const;

    FocusedText& focus_;
    DesktopWindows& windows_;
    InputWatcher& input_;
    Inserter& inserter_;
    KeyPoster& keys_;
    Clock& clock_;
    std::optional<Paste> paste_;
    std::optional<QString> improved_;  // what replaced the paste, for undo
    std::shared_ptr<ScheduledWork> pending_;
};
