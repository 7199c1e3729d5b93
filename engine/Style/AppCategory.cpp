#include "Style/AppCategory.h"

#include "Core/RawValues.h"
#include "Style/Terminals.h"
#include "Style/WebApps.h"

namespace AppCategories {

namespace {
// Whole families of applications that mean code.
const QString codePrefixes[] = {QStringLiteral("com.jetbrains."), QStringLiteral("jetbrains-")};

constexpr auto rawValues = rawValueTable<AppCategory>({{AppCategory::email, "email"},
                                                       {AppCategory::messaging, "messaging"},
                                                       {AppCategory::documents, "documents"},
                                                       {AppCategory::code, "code"},
                                                       {AppCategory::other, "other"}});
}

QString rawValue(AppCategory category)
{
    return rawValues.rawValue(category);
}

std::optional<AppCategory> fromRawValue(const QString& rawValue)
{
    return rawValues.value(rawValue);
}

QString title(AppCategory category)
{
    switch (category) {
    case AppCategory::email:
        return QStringLiteral("Email");
    case AppCategory::messaging:
        return QStringLiteral("Messaging");
    case AppCategory::documents:
        return QStringLiteral("Documents and notes");
    case AppCategory::code:
        return QStringLiteral("Code and terminals");
    case AppCategory::other:
        return QStringLiteral("Everything else");
    }
    return {};
}

QString examples(AppCategory category)
{
    switch (category) {
    case AppCategory::email:
        return QStringLiteral("Thunderbird, Evolution, Gmail");
    case AppCategory::messaging:
        return QStringLiteral("Slack, Telegram, Signal, WhatsApp");
    case AppCategory::documents:
        return QStringLiteral("LibreOffice Writer, Google Docs, Notion, Obsidian");
    case AppCategory::code:
        return QStringLiteral("VS Code, JetBrains IDEs, Kate, Terminal");
    case AppCategory::other:
        return QStringLiteral("Any app that isn\u2019t in a group above");
    }
    return {};
}

// A table of identifiers, long as the list of applications, not steps to read through.
// NOLINTNEXTLINE(readability-function-size)
const std::map<AppCategory, QSet<QString>>& bundleIDs()
{
    static const auto table = [] {
        std::map<AppCategory, QSet<QString>> known{
            {AppCategory::email,
             {QStringLiteral("com.apple.mail"), QStringLiteral("com.microsoft.Outlook"),
              QStringLiteral("com.readdle.smartemail-Mac"), QStringLiteral("com.superhuman.electron"),
              QStringLiteral("it.bloop.airmail2"),
              // Linux desktop-file ids and window classes of the same kinds of application
              QStringLiteral("org.mozilla.thunderbird"), QStringLiteral("org.mozilla.Thunderbird"),
              QStringLiteral("thunderbird"), QStringLiteral("org.gnome.evolution"),
              QStringLiteral("org.gnome.Evolution"), QStringLiteral("evolution"), QStringLiteral("org.kde.kmail2"),
              QStringLiteral("org.gnome.Geary"), QStringLiteral("geary"), QStringLiteral("mailspring"),
              QStringLiteral("eu.betterbird.Betterbird")}},
            {AppCategory::messaging,
             {QStringLiteral("com.apple.MobileSMS"),
              QStringLiteral("com.tinyspeck.slackmacgap"),
              QStringLiteral("net.whatsapp.WhatsApp"),
              QStringLiteral("ru.keepcoder.Telegram"),
              QStringLiteral("org.telegram.desktop"),
              QStringLiteral("com.hnc.Discord"),
              QStringLiteral("com.microsoft.teams2"),
              QStringLiteral("com.facebook.archon.developerID"),
              QStringLiteral("org.whispersystems.signal-desktop"),
              QStringLiteral("com.apple.iChat"),
              QStringLiteral("slack"),
              QStringLiteral("com.slack.Slack"),
              QStringLiteral("telegramdesktop"),
              QStringLiteral("telegram-desktop"),
              QStringLiteral("signal"),
              QStringLiteral("org.signal.Signal"),
              QStringLiteral("discord"),
              QStringLiteral("com.discordapp.Discord"),
              QStringLiteral("whatsapp-for-linux"),
              QStringLiteral("teams-for-linux"),
              QStringLiteral("element"),
              QStringLiteral("im.riot.Riot"),
              QStringLiteral("org.gnome.Fractal")}},
            {AppCategory::documents,
             {QStringLiteral("com.apple.Notes"),
              QStringLiteral("com.apple.iWork.Pages"),
              QStringLiteral("com.microsoft.Word"),
              QStringLiteral("notion.id"),
              QStringLiteral("md.obsidian"),
              QStringLiteral("com.apple.TextEdit"),
              QStringLiteral("com.apple.iWork.Keynote"),
              QStringLiteral("com.google.drivefs"),
              QStringLiteral("net.shinyfrog.bear"),
              QStringLiteral("com.culturedcode.ThingsMac"),
              QStringLiteral("com.apple.reminders"),
              QStringLiteral("libreoffice-writer"),
              QStringLiteral("libreoffice-impress"),
              QStringLiteral("obsidian"),
              QStringLiteral("md.obsidian.Obsidian"),
              QStringLiteral("notion-app"),
              QStringLiteral("org.gnome.TextEditor"),
              QStringLiteral("org.gnome.gedit"),
              QStringLiteral("gedit"),
              QStringLiteral("org.kde.kwrite"),
              QStringLiteral("net.cozic.joplin_desktop"),
              QStringLiteral("logseq"),
              QStringLiteral("org.gnome.Notes")}},
            {AppCategory::code,
             {QStringLiteral("com.apple.dt.Xcode"),
              QStringLiteral("com.microsoft.VSCode"),
              QStringLiteral("com.todesktop.230313mzl4w4u92"),
              QStringLiteral("com.apple.Terminal"),
              QStringLiteral("com.googlecode.iterm2"),
              QStringLiteral("dev.warp.Warp-Stable"),
              QStringLiteral("com.mitchellh.ghostty"),
              QStringLiteral("net.kovidgoyal.kitty"),
              QStringLiteral("com.sublimetext.4"),
              QStringLiteral("com.github.atom"),
              QStringLiteral("co.zeit.hyper"),
              QStringLiteral("dev.zed.Zed"),
              QStringLiteral("code"),
              QStringLiteral("com.visualstudio.code"),
              QStringLiteral("code-oss"),
              QStringLiteral("codium"),
              QStringLiteral("com.vscodium.codium"),
              QStringLiteral("cursor"),
              QStringLiteral("sublime_text"),
              QStringLiteral("com.sublimetext.three"),
              QStringLiteral("dev.zed.Zed-Preview"),
              QStringLiteral("org.gnome.Builder"),
              QStringLiteral("org.kde.kate"),
              QStringLiteral("emacs"),
              QStringLiteral("gvim")}},
        };
        known[AppCategory::code].unite(Terminals::ids());
        return known;
    }();
    return table;
}

AppCategory of(const std::optional<QString>& bundleID)
{
    if (!bundleID)
        return AppCategory::other;
    for (const auto& [category, identifiers] : bundleIDs()) {
        if (identifiers.contains(*bundleID))
            return category;
    }
    for (const QString& prefix : codePrefixes) {
        if (bundleID->startsWith(prefix))
            return AppCategory::code;
    }
    return AppCategory::other;
}

AppCategory of(const std::optional<QString>& bundleID, const std::optional<QString>& windowTitle)
{
    if (Browsers::isBrowser(bundleID)) {
        if (const auto webApp = Browsers::webApp(windowTitle))
            return webApp->category;
    }
    return of(bundleID);
}

}
