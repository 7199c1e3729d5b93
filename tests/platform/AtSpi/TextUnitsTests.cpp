// Offsets and insert lengths between our UTF-16 text and the toolkits' counting, over the texts
// that tell the countings apart: Persian letters, a zero-width non-joiner, an emoji outside the
// basic plane and a combining mark.

#include "AtSpi/TextUnits.h"

#include <gtest/gtest.h>

namespace {
// "می‌خوام 😀 é": a ZWNJ after the first word, an emoji (two UTF-16 units), e and a combining acute.
const QString mixed = QStringLiteral("می\u200cخوام \U0001F600 e\u0301");

struct Offset {
    const char* place;
    qsizetype characters;
    qsizetype utf16;
};

// Each place in `mixed` counted both ways.
const Offset places[] = {
    {"the start", 0, 0},        {"after the ZWNJ", 3, 3},           {"after the first word and its space", 8, 8},
    {"after the emoji", 9, 10}, {"between e and its mark", 11, 12}, {"the end", 12, 13},
};
}

TEST(TextUnits, OffsetsGoBothWaysCharactersSteppingOverAnEmojiAsOneAndACombiningMarkAsItsOwn)
{
    struct Counting {
        const char* name;
        TextUnits units;
        qsizetype Offset::*theirs;
    };
    const Counting countings[] = {
        {"characters", TextUnits::characters(), &Offset::characters},
        {"UTF-16 units", TextUnits::utf16(), &Offset::utf16},
    };
    for (const Counting& counting : countings) {
        for (const Offset& place : places) {
            EXPECT_EQ(counting.units.toUtf16(mixed, place.*counting.theirs), place.utf16)
                << counting.name << place.place;
            EXPECT_EQ(counting.units.fromUtf16(mixed, place.utf16), place.*counting.theirs)
                << counting.name << place.place;
        }
        EXPECT_EQ(counting.units.toUtf16(mixed, 40), mixed.size()) << counting.name << ": past the end is the end";
    }
}

TEST(TextUnits, AnInsertsLengthIsInUtf8BytesForGtkAndUtf16UnitsForQt)
{
    // Six Persian letters take two bytes each, the ZWNJ three, the emoji four, the combining mark
    // two, the two spaces and the e one each.
    EXPECT_EQ(TextUnits::ofToolkit(QStringLiteral("GTK"))->insertLength(mixed), 6 * 2 + 3 + 4 + 2 + 3);
    EXPECT_EQ(TextUnits::ofToolkit(QStringLiteral("Qt"))->insertLength(mixed), mixed.size());
    EXPECT_EQ(TextUnits::ofToolkit(QStringLiteral("GTK")), TextUnits::characters());
    EXPECT_EQ(TextUnits::ofToolkit(QStringLiteral("Qt6")), TextUnits::utf16());
}

TEST(TextUnits, AToolkitWithoutANameIsKnownOnlyByALengthTheCountingsDisagreeOn)
{
    EXPECT_EQ(TextUnits::ofToolkit(QString()), std::nullopt);
    EXPECT_EQ(TextUnits::ofLength(mixed, 13), TextUnits::utf16());
    EXPECT_EQ(TextUnits::ofLength(mixed, 12), TextUnits::characters());
    EXPECT_EQ(TextUnits::ofLength(mixed, 20), std::nullopt) << "a length neither counting gives";
    // Persian without an emoji is as long in both countings, though its insert length is not.
    const QString persian = QStringLiteral("سلام دنیا");
    EXPECT_EQ(TextUnits::ofLength(persian, persian.size()), std::nullopt);
    EXPECT_FALSE(TextUnits::insertsAlike(persian));
    EXPECT_TRUE(TextUnits::insertsAlike(QStringLiteral("Hello, world.")));
}
