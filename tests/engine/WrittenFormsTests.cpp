// Hotword spellings for the recogniser and the user's spellings put back into text.

#include "WrittenForms.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

TEST(Hotwords, VariantsAreAsTypedLowerAndCapitalised)
{
    EXPECT_EQ(Hotwords::variants(QStringLiteral("iPhone")), QStringList({"iPhone", "iphone", "Iphone"}));
    EXPECT_EQ(Hotwords::variants(QStringLiteral("zoom")), QStringList({"zoom", "Zoom"}));
    EXPECT_EQ(Hotwords::variants(QStringLiteral("Zoom")), QStringList({"Zoom", "zoom"}));
    const QString persian = QStringLiteral("\u0633\u0644\u0627\u0645");
    EXPECT_EQ(Hotwords::variants(persian), QStringList({persian}));
    EXPECT_EQ(Hotwords::variants(QString()), QStringList());
    // Full case mapping: the first letter may become two.
    EXPECT_EQ(Hotwords::variants(QStringLiteral("\u00DFtadt")), QStringList({"\u00DFtadt", "SStadt"}));
    // The first character is the whole grapheme, combining mark included.
    EXPECT_EQ(Hotwords::variants(QStringLiteral("e\u0301clair")), QStringList({"e\u0301clair", "E\u0301clair"}));
}

TEST(Hotwords, ExpandKeepsEachSpellingOnce)
{
    EXPECT_EQ(Hotwords::expand({QStringLiteral("Zoom"), QStringLiteral("zoom")}), QStringList({"Zoom", "zoom"}));
    EXPECT_EQ(Hotwords::expand({QStringLiteral("a"), QStringLiteral("iPhone")}), QStringList({"a", "A", "iPhone", "iphone", "Iphone"}));
    EXPECT_EQ(Hotwords::expand({}), QStringList());
}

TEST(WrittenForms, OnlyEntriesWithCapitalsGetAForm)
{
    EXPECT_TRUE(WrittenForms().isEmpty());
    const WrittenForms lower({QStringLiteral("zoom"), QStringLiteral("\u0633\u0644\u0627\u0645")});
    EXPECT_TRUE(lower.isEmpty());
    EXPECT_EQ(lower.apply(QStringLiteral("zoom call")), QStringLiteral("zoom call"));
    EXPECT_FALSE(WrittenForms({QStringLiteral("Zoom")}).isEmpty());
}

TEST(WrittenForms, PhrasesMatchAnySpacingAndCase)
{
    const WrittenForms forms({QStringLiteral("Open AI"), QStringLiteral("OpenAI")});
    EXPECT_EQ(forms.apply(QStringLiteral("open   ai says")), QStringLiteral("Open AI says"));
    EXPECT_EQ(forms.apply(QStringLiteral("OPENAI and open\tai")), QStringLiteral("OpenAI and Open AI"));
    EXPECT_EQ(forms.apply(QStringLiteral("open\u00A0ai")), QStringLiteral("Open AI")) << "Unicode white space";
    EXPECT_EQ(forms.apply(QString()), QString());
}

TEST(WrittenForms, FirstEntryOfAKeyWinsAndLongerPhrasesComeFirst)
{
    const WrittenForms phones({QStringLiteral("iPhone"), QStringLiteral("IPHONE")});
    EXPECT_EQ(phones.apply(QStringLiteral("IPHONE iphone Iphone")), QStringLiteral("iPhone iPhone iPhone"));

    const WrittenForms cities({QStringLiteral("New York"), QStringLiteral("New York City")});
    EXPECT_EQ(cities.apply(QStringLiteral("new york city and new york")), QStringLiteral("New York City and New York"));
}

TEST(WrittenForms, OnlyAsciiWordCharactersBlockAMatch)
{
    const WrittenForms forms({QStringLiteral("iPhone")});
    EXPECT_EQ(forms.apply(QStringLiteral("iphone15")), QStringLiteral("iphone15"));
    EXPECT_EQ(forms.apply(QStringLiteral("my_iphone")), QStringLiteral("my_iphone"));
    EXPECT_EQ(forms.apply(QStringLiteral("iphone. (iphone)")), QStringLiteral("iPhone. (iPhone)"));
    EXPECT_EQ(forms.apply(QStringLiteral("iphone\u0647\u0627")), QStringLiteral("iPhone\u0647\u0627"));
    EXPECT_EQ(forms.apply(QStringLiteral("\u00E9iphone")), QStringLiteral("\u00E9iPhone")) << "an accented letter is no ASCII letter";
}

TEST(WrittenForms, PatternCharactersInEntriesMatchThemselves)
{
    const WrittenForms forms({QStringLiteral("C++"), QStringLiteral("Node.js")});
    EXPECT_EQ(forms.apply(QStringLiteral("c++ and node.js")), QStringLiteral("C++ and Node.js"));
    EXPECT_EQ(forms.apply(QStringLiteral("c and nodexjs")), QStringLiteral("c and nodexjs"));
}

TEST(WrittenForms, ReplacementsKeepOffsetsInUtf16)
{
    // Characters outside the basic plane take two UTF-16 units before and between the matches.
    const WrittenForms forms({QStringLiteral("GitHub")});
    EXPECT_EQ(forms.apply(QStringLiteral("\U0001F600 github \U0001F600 GITHUB")),
              QStringLiteral("\U0001F600 GitHub \U0001F600 GitHub"));
}
