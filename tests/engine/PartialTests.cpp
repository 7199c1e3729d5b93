#include "SpeechEngine.h"

#include <gtest/gtest.h>

TEST(Partial, EqualityComparesEveryField)
{
    const Partial a{QStringLiteral("salam donya"), {QStringLiteral("salam"), QStringLiteral("donya")}, 2};
    Partial b = a;
    EXPECT_EQ(a, b);

    b.settlingCount = 1;
    EXPECT_NE(a, b) << "same text and words, different settling count";

    b = a;
    b.words = QStringList{QStringLiteral("salam donya")};
    EXPECT_NE(a, b) << "words are compared element by element";
}

TEST(Partial, EmptyEqualsAFreshlyBuiltEmptyPartial)
{
    EXPECT_EQ(Partial::empty, (Partial{QString(), QStringList(), 0}));
    EXPECT_TRUE(Partial::empty.text.isEmpty());
    EXPECT_TRUE(Partial::empty.words.isEmpty());
}
