#pragma once
// Whether improved text may still replace what was pasted, judged from what the shell observed in
// the front application. It goes in only over the located text: where no field can be read, no
// undo by keys could be seen to work, and one that undid nothing would leave the text twice.
// Pure: it reads nothing from the system.

#include <QString>

#include <limits>

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
        unreadable,  // the field refused its value or its selection
        absent,  // no text element was found where the text went
    };
    Kind kind = Kind::unreadable;
    Range range;  // matches only

    static Field matches(Range range) { return {Kind::matches, range}; }
    static Field differs() { return {Kind::differs, {}}; }
    static Field unreadable() { return {Kind::unreadable, {}}; }
    static Field absent() { return {Kind::absent, {}}; }

    bool operator==(const Field&) const = default;
};

struct Decision {
    enum class Kind {
        replace,  // type the improved text over the located range
        skip,
    };
    Kind kind = Kind::skip;
    QString reason;  // skip only: a short lower-case phrase for the log

    static Decision replace() { return {Kind::replace, {}}; }
    static Decision skip(const QString& reason) { return {Kind::skip, reason}; }

    bool operator==(const Decision&) const = default;
};

struct Observed {
    bool userActed = false;  // the user typed or clicked after the paste
    bool sameTarget = false;  // the focus is still on the element that received the paste
    double age = 0;  // seconds since the paste
    Field field;

    bool operator==(const Observed&) const = default;
};

// A paste older than this many seconds is left alone.
inline constexpr double maxAge = 10.0;

Decision decide(const Observed& observed);

// Whether a field's copy of a text is that text: canonically equivalent, a no-break space and a
// space alike (editors write runs of spaces with no-break spaces, and change them back).
bool sameInField(const QString& shown, const QString& text);

// Where the pasted text stands before the caret of a field showing `value` with `selection`;
// never unreadable nor absent (the caller knows when it couldn't read the field).
Field locate(const QString& pasted, const QString& value, Range selection);

}
