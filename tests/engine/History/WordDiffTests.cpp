#include "History/WordDiff.h"

#include <gtest/gtest.h>

using WordDiff::Word;

TEST(WordDiff, MarksWordsTheTargetAddedOrChanged)
{
    const struct {
        const char* from;
        const char* to;
        QList<Word> expected;
    } cases[] = {
        {"the cat sat",
         "the black cat sat down",
         {{"the", false}, {"black", true}, {"cat", false}, {"sat", false}, {"down", true}}},
        {"a b", "b a", {{"b", false}, {"a", true}}},  // a tie advances the source
        // Case, edge punctuation, the zero-width non-joiner and canonical equivalence don't count.
        {"Hello, world", "hello world!", {{"hello", false}, {"world!", false}}},
        {"\u0645\u06CC\u200C\u0631\u0648\u0645",
         "\u0645\u06CC\u0631\u0648\u0645",
         {{"\u0645\u06CC\u0631\u0648\u0645", false}}},
        {"caf\u00E9", "cafe\u0301", {{"cafe\u0301", false}}},
        // A capital sigma at a word's end is the final sigma in lower case.
        {"\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2", {{"\u03BF\u03B4\u03BF\u03C2", false}}},
        {"don't", "dont", {{"dont", true}}},  // inner punctuation counts
        {"some words", "", {}},
        {"  \n ", "new words", {{"new", true}, {"words", true}}},
        {"one  two", " one\t\n two \n", {{"one", false}, {"two", false}}},
        {"yes , no", "yes \u2014 no", {{"yes", false}, {"\u2014", false}, {"no", false}}},
        {"yes no", "yes \u2014 no", {{"yes", false}, {"\u2014", true}, {"no", false}}},
    };
    for (const auto& [from, to, expected] : cases)
        EXPECT_EQ(WordDiff::words(QString::fromUtf8(from), QString::fromUtf8(to)), expected) << from << " -> " << to;
}
