#pragma once
// Replaces a pasted text in place with its improvement once the formatting server answers, no
// sooner than 0.65 s after the paste and only if the user hasn't typed, clicked or moved on: the
// focused element is read through the accessibility interface, the pasted text located before
// the caret and replaced there. Where the field can't be read nothing is replaced: no key could be
// seen to take the paste out, and one that didn't would leave the text twice. Undo puts the
// dictated text back over the improvement, and only while that can work: until the user types.
// The application is asked without waiting for it: each question answers later, within a bound.

#include "Core/Clock.h"
#include "Core/Lifeline.h"
#include "FocusedText.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class DesktopWindows;
class InputWatcher;

class Fixer {
public:
    static constexpr Clock::Duration settleTime = std::chrono::milliseconds(650);

    struct Paste {
        QString text;
        std::optional<FocusedElement> element;  // where it went, when the accessibility interface said
        bool elementKnown = true;  // the search for the element had answered by the paste
        quint64 windowId = 0;  // the front window it went to
        std::optional<QString> appID;
        Clock::TimePoint at;
    };

    Fixer(FocusedText& focus, DesktopWindows& windows, InputWatcher& input, Clock& clock = Clock::system());

    // A paste has just happened: the user's actions count from now. Forgets any earlier paste.
    void pasted(const Paste& paste);
    // The element a search that answered after the paste found: the improvement may replace the
    // text there, where it shows the pasted text.
    void learned(const std::optional<FocusedElement>& element);
    // Replaces the paste with the improved text when the rules allow it; `done` is told later
    // whether the field now holds it. Nothing happens after forget() or another paste, also to a
    // replacement or an undo under way.
    void improve(const QString& improved, std::function<void(bool replaced)> done);
    // An improvement is in place and undo() can take it out.
    bool canUndo() const;
    // Puts the dictated text back over the improvement; `done` is told whether it did.
    void undo(std::function<void(bool undone)> done);
    void forget();

private:
    void apply(const QString& improved, const std::function<void(bool)>& done);
    void decide(const QString& improved, bool sameTarget, const std::optional<FieldText>& field,
                const std::function<void(bool)>& done);
    // Whether the paste's window and element still have the focus; nothing when the element's
    // application didn't answer.
    void checkTarget(std::function<void(std::optional<bool> sameTarget)> then);
    // `then`, as long as this exists and the paste isn't forgotten.
    template <typename Answer>
    std::function<void(Answer)> whilePasted(std::function<void(Answer)> then) const;

    FocusedText& focus_;
    DesktopWindows& windows_;
    InputWatcher& input_;
    Clock& clock_;
    std::optional<Paste> paste_;
    std::optional<QString> improved_;  // what replaced the paste, for undo
    std::shared_ptr<ScheduledWork> pending_;
    quint64 pastes_ = 0;  // which paste an answer belongs to
    const Lifeline<Fixer> self_{this};
};
