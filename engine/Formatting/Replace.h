#pragma once
// Whether improved text may still replace what was pasted, and how, judged from what the shell
// observed in the front application. Pure: it reads nothing from the system.

#include <QSet>
#include <QString>

#include <limits>
#include <optional>

namespace Replace {

// A stretch of text in UTF-16 code units, as the accessibility interface counts them.
struct Range {
    qsizetype location = 0;
    qsizetype length = 0;

    bool operator==(const Range&) const = default;
};
// The location of a selection that doesn't exist.
inline constexpr qsizetype notFound = std::numeric_limits<qsizetype>::max();

// What the focused field shows of the pasted text.
struct Field {
    enum class Kind {
        matches,  // unchanged, immediately before the caret, at `range`
        differs,  // readable, but not found before a plain caret
        unreadable,  // the value or the selection couldn't be read
    };
    Kind kind = Kind::unreadable;
    Range range;  // matches only

    static Field matches(Range range) { return {Kind::matches, range}; }
    static Field differs() { return {Kind::differs, {}}; }
    static Field unreadable() { return {Kind::unreadable, {}}; }

    bool operator==(const Field&) const = default;
};

enum class Method {
    selection,  // select the located range and type the improved text over it
    undo,  // undo the paste in the application, then insert the improved text
};

struct Decision {
    enum class Kind { replace, skip };
    Kind kind = Kind::skip;
    Method method = Method::selection;  // replace only
    QString reason;  // skip only: a short lower-case phrase for the log

    static Decision replace(Method method) { return {Kind::replace, method, {}}; }
    static Decision skip(const QString& reason) { return {Kind::skip, Method::selection, reason}; }

    bool operator==(const Decision&) const = default;
};

struct Observed {
    bool userActed = false;  // the user typed or clicked after the paste
    bool sameTarget = false;  // the focus is still on the element that received the paste
    double age = 0;  // seconds since the paste
    Field field;
    std::optional<QString> bundleID;  // the application that received the paste

    bool operator==(const Observed&) const = default;
};

// A paste older than this many seconds is left alone.
inline constexpr double maxAge = 10.0;

// Terminals, in which a paste can't be undone.
const QSet<QString>& noUndoApps();

Decision decide(const Observed& observed);

// Where the pasted text stands before the caret of a field showing `value` with `selection`;
// never unreadable (the caller knows when it couldn't read the field).
Field locate(const QString& pasted, const QString& value, Range selection);

}
