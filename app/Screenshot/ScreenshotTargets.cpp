#include "ScreenshotTargets.h"

#include "AppDelegate.h"

#include <QQuickWindow>

namespace {

// The size the main window takes on a roomy screen.
constexpr QSize mainWindowSize(1120, 810);

QQuickWindow* openMain(AppDelegate& delegate, const QString& page)
{
    const auto section = MainSections::fromRawValue(page);
    if (!section)
        return nullptr;
    delegate.showMain(*section);
    QQuickWindow* window = delegate.mainWindow();
    if (window)
        window->resize(mainWindowSize);
    return window;
}

const ScreenshotTarget targets[] = {
    {"main", "home|history|styles|snippets|vocabulary|account|settings", openMain},
};

}

const ScreenshotTarget* findScreenshotTarget(const QString& window)
{
    for (const ScreenshotTarget& target : targets)
        if (window == QLatin1String(target.window))
            return &target;
    return nullptr;
}

QString screenshotUsage()
{
    QString usage = QStringLiteral("usage: scripts/screenshot gallery FILE.png\n");
    for (const ScreenshotTarget& target : targets)
        usage += QStringLiteral("       scripts/screenshot %1/{%2} FILE.png\n")
                     .arg(QLatin1String(target.window), QLatin1String(target.pages));
    return usage;
}
