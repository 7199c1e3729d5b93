#include "Style/AppCategory.h"
#include "Style/WebApps.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {
std::optional<QString> id(const char* text)
{
    return QString::fromUtf8(text);
}
}

TEST(Browsers, FindTheWebApplicationInAWindowTitle)
{
    const std::pair<const char*, std::optional<WebApp>> cases[] = {
        {"Inbox (3) - Gmail", WebApp{QStringLiteral("Gmail"), AppCategory::email}},
        {"Gmail", WebApp{QStringLiteral("Gmail"), AppCategory::email}},
        {"gmail.com", std::nullopt},
        {"Mail - Outlook.com", WebApp{QStringLiteral("Outlook"), AppCategory::email}},
        {"Chat - Google Chat", WebApp{QStringLiteral("Google Chat"), AppCategory::messaging}},
        {"Chat", std::nullopt},
        {"Team chat | Slack", WebApp{QStringLiteral("Slack"), AppCategory::messaging}},
        {"WhatsApp Web", WebApp{QStringLiteral("WhatsApp"), AppCategory::messaging}},
        {"Notion \u2013 Slack", WebApp{QStringLiteral("Notion"), AppCategory::documents}},
        {"Plan\u2014Google Docs", WebApp{QStringLiteral("Google Docs"), AppCategory::documents}},
        {"x \u00B7\u00A0Discord\u2003\u2022 y", WebApp{QStringLiteral("Discord"), AppCategory::messaging}},
        {"\tTelegram Web\t", WebApp{QStringLiteral("Telegram"), AppCategory::messaging}},
        {"Gmail\n", std::nullopt},
        {"Google - Docs", std::nullopt},
        {"", std::nullopt},
        {" - | \u2014 ", std::nullopt},
    };
    for (const auto& [title, expected] : cases)
        EXPECT_EQ(Browsers::webApp(QString::fromUtf8(title)), expected) << title;
    EXPECT_EQ(Browsers::webApp(std::nullopt), std::nullopt);
}

TEST(Browsers, TitlesCountOnlyInABrowser)
{
    const auto gmail = QStringLiteral("Inbox - Gmail");
    EXPECT_EQ(AppCategories::of(id("org.mozilla.firefox"), gmail), AppCategory::email);
    EXPECT_EQ(AppCategories::of(id("org.mozilla.firefox"), QStringLiteral("News")), AppCategory::other);
    EXPECT_EQ(AppCategories::of(id("org.mozilla.firefox"), std::nullopt), AppCategory::other);
    EXPECT_EQ(AppCategories::of(id("com.apple.Notes"), gmail), AppCategory::documents);
    EXPECT_EQ(AppCategories::of(std::nullopt, gmail), AppCategory::other);
}

TEST(AppCategories, ExamplesNameApplicationsTheTablesPlaceThere)
{
    // Each example as the desktop reports it: an application's id, or a browser and its title.
    struct Example {
        const char* name;
        const char* id;
        const char* title;
    };
    const std::pair<AppCategory, std::vector<Example>> cases[] = {
        {AppCategory::email,
         {{"Thunderbird", "org.mozilla.thunderbird", nullptr},
          {"Evolution", "org.gnome.Evolution", nullptr},
          {"Gmail", "firefox", "Inbox - Gmail"}}},
        {AppCategory::messaging,
         {{"Slack", "slack", nullptr},
          {"Telegram", "org.telegram.desktop", nullptr},
          {"Signal", "signal", nullptr},
          {"WhatsApp", "whatsapp-for-linux", nullptr}}},
        {AppCategory::documents,
         {{"LibreOffice Writer", "libreoffice-writer", nullptr},
          {"Google Docs", "firefox", "Plan - Google Docs"},
          {"Notion", "notion-app", nullptr},
          {"Obsidian", "obsidian", nullptr}}},
        {AppCategory::code,
         {{"VS Code", "code", nullptr},
          {"JetBrains IDEs", "jetbrains-idea", nullptr},
          {"Kate", "org.kde.kate", nullptr},
          {"Terminal", "org.gnome.Terminal", nullptr}}},
    };
    for (const auto& [category, examples] : cases) {
        QStringList names;
        for (const Example& example : examples) {
            names.append(QString::fromUtf8(example.name));
            const auto title = example.title ? std::optional(QString::fromUtf8(example.title)) : std::nullopt;
            EXPECT_EQ(AppCategories::of(id(example.id), title), category) << example.name;
        }
        EXPECT_EQ(AppCategories::examples(category), names.join(QStringLiteral(", ")));
    }
}
