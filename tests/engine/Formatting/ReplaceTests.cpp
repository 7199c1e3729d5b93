#include "Formatting/Replace.h"

#include <gtest/gtest.h>

using Replace::Decision;
using Replace::Field;
using Replace::Observed;
using Replace::Range;

TEST(Replace, DecidesByTheFirstRuleThatApplies)
{
    const Field matched = Field::matches({0, 5});
    struct Case {
        Observed observed;
        Decision expected;
    };
    const Case cases[] = {
        {{true, false, 20, matched}, Decision::skip(QStringLiteral("the user typed or clicked"))},
        {{false, false, 20, matched}, Decision::skip(QStringLiteral("focus moved"))},
        {{false, true, 10.001, matched}, Decision::skip(QStringLiteral("too late"))},
        {{false, true, 10.0, matched}, Decision::replace()},
        {{false, true, 1, Field::differs()}, Decision::skip(QStringLiteral("the text changed"))},
        // No field to read the text back from: nothing goes in by keys.
        {{false, true, 1, Field::unreadable()}, Decision::skip(QStringLiteral("the field refused to be read"))},
        {{false, true, 1, Field::absent()}, Decision::skip(QStringLiteral("no text element found"))},
        {{false, false, 1, Field::absent()}, Decision::skip(QStringLiteral("focus moved"))},
    };
    for (const Case& c : cases) {
        const Decision decision = Replace::decide(c.observed);
        EXPECT_EQ(decision, c.expected) << "got \"" << decision.reason.toStdString() << "\", expected \""
                                        << c.expected.reason.toStdString() << "\"";
    }
}

TEST(Replace, LocatesThePastedTextRightBeforeTheCaret)
{
    const QString pasted = QStringLiteral("سلام world");
    const QString value = QStringLiteral("Hi ") + pasted + QStringLiteral("!");
    const qsizetype end = 3 + pasted.size();

    EXPECT_EQ(Replace::locate(pasted, value, {end, 0}), Field::matches({3, pasted.size()}));
    EXPECT_EQ(Replace::locate(pasted, value, {end + 1, 0}), Field::differs()) << "the user typed after it";
    EXPECT_EQ(Replace::locate(pasted, value, {3, pasted.size()}), Field::differs()) << "a selection is no caret";
    EXPECT_EQ(Replace::locate(QString(), value, {0, 0}), Field::differs());
    EXPECT_EQ(Replace::locate(pasted, value, {Replace::notFound, 0}), Field::differs());
    EXPECT_EQ(Replace::locate(pasted, value, {pasted.size() - 1, 0}), Field::differs());
    EXPECT_EQ(Replace::locate(pasted, pasted, {pasted.size() + 1, 0}), Field::differs()) << "caret past the end";
    EXPECT_EQ(Replace::locate(pasted, pasted, {pasted.size(), 0}), Field::matches({0, pasted.size()}));
}

TEST(Replace, ComparesCanonicallyButByThePastedLength)
{
    // Editors write runs of spaces with no-break spaces: the field's copy is the pasted text.
    EXPECT_EQ(Replace::locate(QStringLiteral("A  b c"), QStringLiteral("A \u00a0b\u00a0c"), {6, 0}),
              Field::matches({0, 6}));
    EXPECT_TRUE(Replace::sameInField(QStringLiteral("a\u00a0b"), QStringLiteral("a b")));
    EXPECT_TRUE(Replace::sameInField(QStringLiteral("a b"), QStringLiteral("a\u00a0b")));
    EXPECT_FALSE(Replace::sameInField(QStringLiteral("a\u2003b"), QStringLiteral("a b"))) << "an em space is no space";

    // Two combining marks in either order are the same text of the same length.
    const QString pasted = QStringLiteral("a\u0323\u0307");
    EXPECT_EQ(Replace::locate(pasted, QStringLiteral("a\u0307\u0323"), {3, 0}), Field::matches({0, 3}));

    // The field decomposed "é": its copy is longer, so the part before the caret is not it.
    const QString precomposed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    EXPECT_EQ(Replace::locate(precomposed, decomposed, {decomposed.size(), 0}), Field::differs());
}
