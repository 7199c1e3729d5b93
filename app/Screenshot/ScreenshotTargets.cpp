#include "ScreenshotTargets.h"

#include "AppDelegate.h"
#include "Onboarding/OnboardingCoordinator.h"
#include "Onboarding/OnboardingWindowController.h"

#include <QMetaEnum>

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

// The first-run window on a step, with the speech model ready and, on the try-it step, the sample
// sentence dictated. The permissions are what this computer reports.
QQuickWindow* openOnboarding(AppDelegate& delegate, const QString& page)
{
    bool known = false;
    const int step = QMetaEnum::fromType<OnboardingModel::Step>().keyToValue(page.toLatin1(), &known);
    if (!known)
        return nullptr;
    qputenv("QUILLMARSH_ONBOARDING_STEP", QByteArray::number(step));
    delegate.showOnboarding();
    OnboardingCoordinator& onboarding = delegate.onboarding();
    if (!onboarding.isOpen())
        return nullptr;
    onboarding.modelReadyChanged(true);
    onboarding.punctuationChanged(PunctuationInstaller::Installing{429, 1000});
    if (onboarding.model()->step() == OnboardingModel::Step::tryIt) {
        const QString said =
            QStringLiteral("فردا ساعت ده یه meeting با تیم design داریم، می\u200Cخوام roadmap رو مرور کنیم");
        onboarding.model()->setPractice(said);
        onboarding.inserted(said);
    }
    return onboarding.controller()->window();
}

QQuickWindow* openAcknowledgements(AppDelegate& delegate, const QString& page)
{
    if (page != QLatin1String("all"))
        return nullptr;
    delegate.showAcknowledgements();
    return delegate.acknowledgementsWindow();
}

const ScreenshotTarget targets[] = {
    {"main", "home|history|styles|snippets|vocabulary|account|settings", openMain},
    {"onboarding", "welcome|key|permissions|tryIt|done", openOnboarding},
    {"acknowledgements", "all", openAcknowledgements},
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
