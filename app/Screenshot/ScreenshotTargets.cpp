#include "ScreenshotTargets.h"

#include "Onboarding/OnboardingCoordinator.h"
#include "Onboarding/OnboardingWindowController.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppWindows.h"

#include "Cloud/CloudError.h"
#include "Pill/PillController.h"
#include "SeedData.h"
#include <QMetaEnum>
#include <QNetworkAccessManager>

#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>

#include <algorithm>

namespace {

// The size the main window takes on a roomy screen.
constexpr QSize mainWindowSize(1120, 810);

// The account page of a signed-in user, with an account server to export from and delete at.
void signInSample(AppDelegate& delegate, SeedData::Sample sample)
{
    // The network manager belongs to the delegate, which outlives every picture.
    static AccountAPI api(QUrl(QStringLiteral("https://speech.example")), *new QNetworkAccessManager(&delegate),
                          [] { return std::optional<QString>(); });
    delegate.model().setAccount(delegate.account().manager(), &api);
    delegate.model().setAccountState(SeedData::accountSession(QDateTime::currentDateTime(), sample));
}

// Once the page has been laid out, scrolls the Styles page's list to its end and opens the
// application picker, as a user would.
void openPickerWhenDrawn(QQuickWindow* window)
{
    auto drawn = std::make_shared<QMetaObject::Connection>();
    *drawn = QObject::connect(window, &QQuickWindow::frameSwapped, window, [window, drawn] {
        QObject::disconnect(*drawn);
        const QQuickItem* view = window->contentItem()->childItems().value(0);
        auto* page = view ? view->property("page").value<QObject*>() : nullptr;
        if (!page)
            return;
        if (auto* list = page->findChild<QQuickItem*>(QStringLiteral("styleList")))
            list->setProperty("contentY", std::max(0.0, list->property("contentHeight").toReal() - list->height()));
        page->setProperty("choosingApp", true);
    });
}

QQuickWindow* openMain(AppDelegate& delegate, QString page, const ScreenshotOptions& options)
{
    if (page == QLatin1String("account-signed-in")) {
        signInSample(delegate, options.sample);
        page = QStringLiteral("account");
    }
    const bool picker = page == QLatin1String("styles-picker");
    if (picker)
        page = QStringLiteral("styles");
    const auto section = MainSections::fromRawValue(page);
    if (!section)
        return nullptr;
    delegate.windows().showMain(*section);
    QQuickWindow* window = delegate.windows().main();
    if (!window)
        return nullptr;
    window->resize(options.size.isEmpty() ? mainWindowSize : options.size);
    if (picker)
        openPickerWhenDrawn(window);
    return window;
}

// The first-run window on a step, with the speech model ready and, on the try-it step, the sample
// sentence dictated. The permissions are what this computer reports.
QQuickWindow* openOnboarding(AppDelegate& delegate, const QString& page, const ScreenshotOptions&)
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

// The pill in each of its looks, with sample words; the long sample's outcomes take several lines.
QQuickWindow* openPill(AppDelegate& delegate, const QString& page, const ScreenshotOptions& options)
{
    const bool lengthy = options.sample == SeedData::Sample::longTexts;
    auto* pill = new PillController(Clock::system(), &delegate);
    const auto partial = [](const QString& text, int settling) {
        return Partial{text, text.split(QLatin1Char(' ')), settling};
    };
    if (page == QLatin1String("listening")) {
        pill->start();
        pill->setPartial(partial(QStringLiteral("سلام، این یک آزمایش کوچک است"), 2));
        pill->setLevel(0.4f);
        pill->show();
    } else if (page == QLatin1String("handsFree")) {
        pill->start();
        pill->setMode(PillController::Mode::handsFree);
        pill->setPartial(partial(QStringLiteral("send the draft to Sara before the meeting"), 3));
        pill->show();
    } else if (page == QLatin1String("inserted")) {
        pill->showOutcome(PillController::Mode::inserted,
                          lengthy
                              ? QStringLiteral("فردا ساعت ده یه meeting با تیم design داریم، می\u200Cخوام roadmap رو "
                                               "مرور کنیم و بعدش گزارش هفتگی رو برای سارا بفرستم")
                              : QStringLiteral("send the draft to Sara before the meeting"));
    } else if (page == QLatin1String("improved")) {
        pill->onUndo = [] {};
        pill->showOutcome(PillController::Mode::improved, QStringLiteral("Improved"), true);
    } else if (page == QLatin1String("failed")) {
        pill->showOutcome(
            PillController::Mode::failed,
            lengthy
                ? CloudError::connection(QStringLiteral("The certificate is self-signed, and untrusted")).description()
                : QStringLiteral("the speech model isn't ready yet"));
    } else {
        delete pill;
        return nullptr;
    }
    return pill->window();
}

QQuickWindow* openAcknowledgements(AppDelegate& delegate, const QString& page, const ScreenshotOptions&)
{
    if (page != QLatin1String("all"))
        return nullptr;
    delegate.windows().showAcknowledgements();
    return delegate.windows().acknowledgements();
}

// The share window as "QUILLMARSH_SHOW_SHARE" opens it.
QQuickWindow* openShare(AppDelegate& delegate, const QString& page, const ScreenshotOptions&)
{
    if (!page.isEmpty() || !delegate.windows().showNewestShare())
        return nullptr;
    return delegate.windows().share();
}

const ScreenshotTarget targets[] = {
    {"main", "home|history|styles|styles-picker|snippets|vocabulary|account|account-signed-in|settings", openMain},
    {"pill", "listening|handsFree|inserted|improved|failed", openPill},
    {"onboarding", "welcome|key|permissions|tryIt|done", openOnboarding},
    {"acknowledgements", "all", openAcknowledgements},
    {"share", "", openShare},
};

}

std::span<const ScreenshotTarget> screenshotTargets()
{
    return targets;
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
    for (const ScreenshotTarget& target : targets) {
        const QString pages = QLatin1String(target.pages);
        usage += QStringLiteral("       scripts/screenshot [--size WxH] [--sample usual|long] %1%2 FILE.png\n")
                     .arg(QLatin1String(target.window), pages.isEmpty() ? QString() : "/{" + pages + "}");
    }
    return usage;
}
