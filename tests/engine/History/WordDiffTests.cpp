#include "History/WordDiff.h"

#include <gtest/gtest.h>

using WordDiff::Word;

namespace {
QList<Word> diff(const char* from, const char* to)
{
    return WordDiff::words(QString::fromUtf8(from), QString::fromUtf8(to));
}
}

TEST(WordDiff, MarksWordsTheTargetAddedOrChanged)
{
    EXPECT_EQ(diff("the cat sat", "the black cat sat down"),
              (QList<Word>{{"the", false}, {"black", true}, {"cat", false}, {"sat", false}, {"down", true}}));
    EXPECT_EQ(diff("a b", "b a"), (QList<Word>{{"b", false}, {"a", true}})) << "a tie advances the source";
}

TEST(WordDiff, IgnoresCaseEdgePunctuationAndZeroWidthNonJoiner)
{
    EXPECT_EQ(diff("Hello, world", "hello world!"), (QList<Word>{{"hello", false}, {"world!", false}}));
    EXPECT_EQ(diff("\u0645\u06CC\u200C\u0631\u0648\u0645", "\u0645\u06CC\u0631\u0648\u0645"),
              (QList<Word>{{"\u0645\u06CC\u0631\u0648\u0645", false}}));
    EXPECT_EQ(diff("don't", "dont"), (QList<Word>{{"dont", true}})) << "inner punctuation counts";
    // Canonically equivalent spellings are the same word.
    EXPECT_EQ(diff("caf\u00E9", "cafe\u0301"), (QList<Word>{{"cafe\u0301", false}}));
}

TEST(WordDiff, HandlesEmptyTextsWhitespaceAndLonePunctuation)
{
    EXPECT_TRUE(diff("some words", "").isEmpty());
    EXPECT_EQ(diff("  \n ", "new words"), (QList<Word>{{"new", true}, {"words", true}}));
    EXPECT_EQ(diff("one  two", " one\t\n two \n"), (QList<Word>{{"one", false}, {"two", false}}));
    EXPECT_EQ(diff("yes , no", "yes \u2014 no"), (QList<Word>{{"yes", false}, {"\u2014", false}, {"no", false}}));
    EXPECT_EQ(diff("yes no", "yes \u2014 no"), (QList<Word>{{"yes", false}, {"\u2014", true}, {"no", false}}));
}
