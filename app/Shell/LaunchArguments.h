#pragma once
// What a start's arguments (the program's own name first) ask of the application, whether it is
// the first start or a later one handing its arguments over.

#include <QStringList>
#include <QUrl>

#include <optional>

struct LaunchArguments {
    // What the autostart entry starts the application with: it then stays in the tray.
    static inline const QString atLoginArgument = QStringLiteral("--at-login");

    static LaunchArguments read(const QStringList& arguments);

    // The browser's return from a sign-in, which the start finishes.
    std::optional<QUrl> signInReturn;
    // Started at login: no window where there is a tray to stay in.
    bool atLogin = false;

    // The first start opens the main window unless it was started at login with a tray to stay in.
    bool opensMainWindowAtStart(bool inTray) const { return !(atLogin && inTray); }
    // A later start asks for the main window unless it brings a sign-in return or comes from the
    // autostart entry.
    bool asksForMainWindowLater() const { return !signInReturn && !atLogin; }
};
