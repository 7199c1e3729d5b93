#pragma once
// How an application's toolkit counts text on the accessibility bus, and the conversion to and from
// our UTF-16 offsets. GTK gives offsets in characters (code points) and takes InsertText's length in
// UTF-8 bytes; Qt counts both in UTF-16 units. Persian text with an emoji tells them apart.
// A toolkit that doesn't say its name is known by how long it says a text is, when that text's
// length differs in the two countings.

#include <QString>

#include <optional>

class TextUnits {
public:
    // The counting of the toolkit that names itself so in its application's "ToolkitName"; nothing
    // when it gave no name.
    static std::optional<TextUnits> ofToolkit(const QString& toolkitName);
    // The counting under which `text` is `length` long; nothing when both countings agree on it
    // (or neither does).
    static std::optional<TextUnits> ofLength(const QString& text, qsizetype length);
    // Whether both countings give `text` the same insert length: it goes in whole whichever counts.
    static bool insertsAlike(const QString& text);
    static TextUnits characters() { return TextUnits(false); }
    static TextUnits utf16() { return TextUnits(true); }

    // The toolkit's offset into `text` as a UTF-16 offset; one past the end is the end.
    qsizetype toUtf16(const QString& text, qsizetype offset) const;
    // A UTF-16 offset into `text` as the toolkit's.
    qsizetype fromUtf16(const QString& text, qsizetype units) const;
    // The length InsertText is given along with `text`.
    qsizetype insertLength(const QString& text) const;

    bool operator==(const TextUnits&) const = default;

private:
    explicit TextUnits(bool utf16) : utf16_(utf16) {}
    bool utf16_;
};
