#pragma once
// The text element that has the keyboard focus in the front application: what kind it is, its text
// with the caret, and replacing a stretch of it in place. Offsets are UTF-16 code units. Asking
// means asking another application, which may not answer: find() never holds up the caller, and
// the others give up after a bound.

#include "Formatting/Replace.h"

#include <QString>

#include <functional>
#include <optional>

struct FocusedElement {
    QString id;  // the same element gives the same id while it exists
    qint64 pid = 0;
    bool password = false;
    bool terminal = false;  // its text is read-only output; pastes go through the terminal's own keys
};

struct FieldText {
    QString text;
    Replace::Range selection;  // the caret is a selection of length 0
};

class FocusedText {
public:
    virtual ~FocusedText() = default;
    // Looks for the focused element of the application with this process id (any application for
    // 0); `found` runs later on the main thread with it, or with nothing.
    virtual void find(qint64 pid, std::function<void(std::optional<FocusedElement>)> found) = 0;
    // The same, waited for.
    virtual std::optional<FocusedElement> focused(qint64 pid) = 0;
    virtual std::optional<FieldText> read(const FocusedElement& element) = 0;
    // Replaces the range with the text and puts the caret after it; false when the element refused.
    virtual bool replace(const FocusedElement& element, Replace::Range range, const QString& text) = 0;
};
