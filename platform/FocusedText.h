#pragma once
// The text element that has the keyboard focus in the front application: what kind it is, its text
// with the caret, and replacing a stretch of it in place. Offsets are UTF-16 code units. Asking
// means asking another application, which may not answer: no call holds up the caller, every
// answer comes later on the main thread.

#include "Formatting/Replace.h"

#include <QString>

#include <functional>
#include <optional>

// The text element the keyboard is in; else the accessible the application marks focused, when it
// publishes no text element there.
struct FocusedElement {
    QString id;  // the same element gives the same id while it exists
    qint64 pid = 0;
    bool password = false;
    bool terminal = false;  // its text is read-only output; pastes go through the terminal's own keys
    bool text = true;  // false: it stands for a text element the application doesn't publish
};

// What a search for the focused element learnt of the application.
struct FocusAnswer {
    std::optional<FocusedElement> element;
    // The application is on the accessibility bus but the search couldn't tell what its focused
    // element is: it left a question unanswered, had more to look through than a search takes on,
    // or marked a tab focused and no text element. The element may be anything, a password field
    // too. Without an element and without this, the application publishes no focused element.
    bool unanswered = false;
};

struct FieldText {
    QString text;
    Replace::Range selection;  // the caret is a selection of length 0
};

class FocusedText {
public:
    virtual ~FocusedText() = default;
    // Looks for the focused element of the application with this process id (any application for
    // 0); `found` runs with what the search learnt once it has ended.
    virtual void find(qint64 pid, std::function<void(FocusAnswer)> found) = 0;

    // The two below answer within a short bound: an application that hasn't answered by then
    // counts as having refused.

    // Whether the element still has the focus; nothing when its application didn't answer.
    virtual void isFocused(const FocusedElement& element, std::function<void(std::optional<bool> focused)> answer) = 0;
    // The element's text and caret, or nothing when they can't be read.
    virtual void read(const FocusedElement& element, std::function<void(std::optional<FieldText>)> read) = 0;
    // Replaces the range, which must still hold `current`, with the text and puts the caret after
    // it; `done` is told false when the range holds something else or the element refused, and the
    // field then keeps `current`. It answers once the application has: a bound could say "refused"
    // of a change that still goes in.
    virtual void replace(const FocusedElement& element, Replace::Range range, const QString& current,
                         const QString& text, std::function<void(bool replaced)> done) = 0;
};
