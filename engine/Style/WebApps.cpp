#include "Style/WebApps.h"

#include <QStringList>

#include <algorithm>

#include <vector>

namespace {

struct Site {
    QString name;
    AppCategory category;
    QStringList titles;  // lower case; a title segment must equal one of them
};

// Searched in this order: the first site named wins.
const std::vector<Site>& sites()
{
    static const std::vector<Site> table{
        {QStringLiteral("Google Docs"), AppCategory::documents, {QStringLiteral("google docs")}},
        {QStringLiteral("Google Slides"), AppCategory::documents, {QStringLiteral("google slides")}},
        {QStringLiteral("Notion"), AppCategory::documents, {QStringLiteral("notion")}},
        {QStringLiteral("Confluence"), AppCategory::documents, {QStringLiteral("confluence")}},
        {QStringLiteral("Dropbox Paper"), AppCategory::documents, {QStringLiteral("dropbox paper")}},
        {QStringLiteral("Overleaf"), AppCategory::documents, {QStringLiteral("overleaf")}},
        {QStringLiteral("Gmail"), AppCategory::email, {QStringLiteral("gmail")}},
        {QStringLiteral("Outlook"), AppCategory::email, {QStringLiteral("outlook"), QStringLiteral("outlook.com")}},
        {QStringLiteral("Yahoo Mail"), AppCategory::email, {QStringLiteral("yahoo mail")}},
        {QStringLiteral("Proton Mail"), AppCategory::email, {QStringLiteral("proton mail")}},
        {QStringLiteral("Slack"), AppCategory::messaging, {QStringLiteral("slack")}},
        {QStringLiteral("WhatsApp"),
         AppCategory::messaging,
         {QStringLiteral("whatsapp"), QStringLiteral("whatsapp web")}},
        {QStringLiteral("Telegram"),
         AppCategory::messaging,
         {QStringLiteral("telegram"), QStringLiteral("telegram web")}},
        {QStringLiteral("Messenger"), AppCategory::messaging, {QStringLiteral("messenger")}},
        {QStringLiteral("Discord"), AppCategory::messaging, {QStringLiteral("discord")}},
        {QStringLiteral("Microsoft Teams"), AppCategory::messaging, {QStringLiteral("microsoft teams")}},
        {QStringLiteral("Google Chat"),
         AppCategory::messaging,
         {QStringLiteral("google chat"), QStringLiteral("chat")}},
    };
    return table;
}

bool isSeparator(QChar c)
{
    return c == u'-' || c == u'\u2013' || c == u'\u2014' || c == u'|' || c == u'\u00B7' || c == u'\u2022';
}

// Blanks within a line: the tab and the Unicode space separators, not line breaks.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedOfBlanks(const QString& piece)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && isBlank(piece.at(begin)))
        ++begin;
    while (end > begin && isBlank(piece.at(end - 1)))
        --end;
    return piece.mid(begin, end - begin);
}

QStringList segments(const QString& title)
{
    QStringList result;
    QString piece;
    const auto take = [&] {
        const QString segment = trimmedOfBlanks(piece).toLower();
        if (!segment.isEmpty())
            result.append(segment);
        piece.clear();
    };
    for (const QChar c : title) {
        if (isSeparator(c))
            take();
        else
            piece.append(c);
    }
    take();
    return result;
}

}

namespace Browsers {

const QSet<QString>& bundleIDs()
{
    static const QSet<QString> browsers{
        QStringLiteral("com.google.Chrome"),
        QStringLiteral("com.google.Chrome.beta"),
        QStringLiteral("com.google.Chrome.canary"),
        QStringLiteral("com.apple.Safari"),
        QStringLiteral("com.apple.SafariTechnologyPreview"),
        QStringLiteral("org.mozilla.firefox"),
        QStringLiteral("company.thebrowser.Browser"),
        QStringLiteral("com.microsoft.edgemac"),
        QStringLiteral("com.brave.Browser"),
        QStringLiteral("com.operasoftware.Opera"),
        QStringLiteral("com.vivaldi.Vivaldi"),
        QStringLiteral("app.zen-browser.zen"),
        // Linux desktop-file ids and window classes of the same browsers
        QStringLiteral("firefox"),
        QStringLiteral("firefox-esr"),
        QStringLiteral("librewolf"),
        QStringLiteral("chromium"),
        QStringLiteral("chromium-browser"),
        QStringLiteral("org.chromium.Chromium"),
        QStringLiteral("google-chrome"),
        QStringLiteral("microsoft-edge"),
        QStringLiteral("brave-browser"),
        QStringLiteral("opera"),
        QStringLiteral("vivaldi-stable"),
        QStringLiteral("app.zen_browser.zen"),
        QStringLiteral("org.gnome.Epiphany"),
    };
    return browsers;
}

bool isBrowser(const std::optional<QString>& bundleID)
{
    return bundleID && bundleIDs().contains(*bundleID);
}

std::optional<WebApp> webApp(const std::optional<QString>& windowTitle)
{
    if (!windowTitle)
        return std::nullopt;
    const QStringList found = segments(*windowTitle);
    for (const Site& site : sites()) {
        const bool named = std::any_of(site.titles.begin(), site.titles.end(),
                                       [&](const QString& keyword) { return found.contains(keyword); });
        if (!named)
            continue;
        // "chat" alone is too common a word to mean Google Chat.
        if (site.name == QLatin1String("Google Chat") && !found.contains(QStringLiteral("google chat")))
            return std::nullopt;
        return WebApp{site.name, site.category};
    }
    return std::nullopt;
}

}
