// Hotword spellings for the recogniser and the user's spellings put back into text.

#include "Recognition/WrittenForms.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

TEST(Hotwords, VariantsAreAsTypedLowerAndCapitalised)
{
    const QString persian = QStringLiteral("\u0633\u0644\u0627\u0645");
    for (const auto& [word, variants] : std::vector<std::pair<QString, QStringList>>{
             {QStringLiteral("iPhone"), {"iPhone", "iphone", "Iphone"}},
             {QStringLiteral("zoom"), {"zoom", "Zoom"}},
             {QStringLiteral("Zoom"), {"Zoom", "zoom"}},
             {persian, {persian}},
             {QString(), {}},
             {QStringLiteral("\u00DFtadt"), {"\u00DFtadt", "SStadt"}},  // full case mapping: one letter becomes two
             {QStringLiteral("e\u0301clair"), {"e\u0301clair", "E\u0301clair"}},  // the first grapheme, mark included
             // A capital sigma ends a word as ς, even before a point; elsewhere it is σ.
             {QStringLiteral("\u039F\u0394\u039F\u03A3"),
              {"\u039F\u0394\u039F\u03A3", "\u03BF\u03B4\u03BF\u03C2", "\u039F\u03B4\u03BF\u03C2"}},
             {QStringLiteral("\u03A3\u039F\u03A6\u039F\u03A3."),
              {"\u03A3\u039F\u03A6\u039F\u03A3.", "\u03C3\u03BF\u03C6\u03BF\u03C2.",
               "\u03A3\u03BF\u03C6\u03BF\u03C2."}},
         })
        EXPECT_EQ(Hotwords::variants(word), variants) << word.toStdString();
    EXPECT_EQ(Hotwords::expand({QStringLiteral("Zoom"), QStringLiteral("zoom")}), QStringList({"Zoom", "zoom"}))
        << "each spelling once";
    EXPECT_EQ(Hotwords::expand({QStringLiteral("a"), QStringLiteral("iPhone")}),
              QStringList({"a", "A", "iPhone", "iphone", "Iphone"}));
}

TEST(WrittenForms, PutsTheUsersSpellingsBackIntoText)
{
    struct Case {
        QStringList entries;
        QString text;
        QString expected;
    };
    const QStringList openAi{QStringLiteral("Open AI"), QStringLiteral("OpenAI")};
    const QStringList iPhone{QStringLiteral("iPhone")};
    for (const Case& c : std::vector<Case>{
             {{QStringLiteral("zoom"), QStringLiteral("\u0633\u0644\u0627\u0645")},
              QStringLiteral("zoom call"),
              QStringLiteral("zoom call")},
             // Phrases match any spacing and case, Unicode white space included.
             {openAi, QStringLiteral("open   ai says"), QStringLiteral("Open AI says")},
             {openAi, QStringLiteral("OPENAI and open\tai"), QStringLiteral("OpenAI and Open AI")},
             {openAi, QStringLiteral("open\u00A0ai"), QStringLiteral("Open AI")},
             {openAi, QString(), QString()},
             // The first entry of a key wins, longer phrases come first.
             {{QStringLiteral("iPhone"), QStringLiteral("IPHONE")},
              QStringLiteral("IPHONE iphone Iphone"),
              QStringLiteral("iPhone iPhone iPhone")},
             {{QStringLiteral("New York"), QStringLiteral("New York City")},
              QStringLiteral("new york city and new york"),
              QStringLiteral("New York City and New York")},
             // Only ASCII word characters block a match.
             {iPhone, QStringLiteral("iphone15 my_iphone"), QStringLiteral("iphone15 my_iphone")},
             {iPhone, QStringLiteral("iphone. (iphone)"), QStringLiteral("iPhone. (iPhone)")},
             // The word as written in lower case, with its final sigma, is the user's word.
             {{QStringLiteral("\u039F\u0394\u039F\u03A3 \u0391")},
              QStringLiteral("\u03B7 \u03BF\u03B4\u03BF\u03C2 \u03B1"),
              QStringLiteral("\u03B7 \u039F\u0394\u039F\u03A3 \u0391")},
             {iPhone, QStringLiteral("iphone\u0647\u0627 \u00E9iphone"),
              QStringLiteral("iPhone\u0647\u0627 \u00E9iPhone")},
             // Pattern characters in entries match themselves.
             {{QStringLiteral("C++"), QStringLiteral("Node.js")},
              QStringLiteral("c++ and node.js, c and nodexjs"),
              QStringLiteral("C++ and Node.js, c and nodexjs")},
             // Characters outside the basic plane take two UTF-16 units before and between the matches.
             {{QStringLiteral("GitHub")},
              QStringLiteral("\U0001F600 github \U0001F600 GITHUB"),
              QStringLiteral("\U0001F600 GitHub \U0001F600 GitHub")},
         })
        EXPECT_EQ(WrittenForms(c.entries).apply(c.text), c.expected);
    EXPECT_TRUE(WrittenForms({QStringLiteral("zoom"), QStringLiteral("\u0633\u0644\u0627\u0645")}).isEmpty())
        << "only entries with capitals get a form";
    EXPECT_FALSE(WrittenForms({QStringLiteral("Zoom")}).isEmpty());
}
