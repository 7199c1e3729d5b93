// The application's entry: one instance per user and display, the composition root, the event
// loop. It lives in the tray; closing its last window does not end it, and the end of the session
// or `kill` quits it as its Quit item does. With "QUILLMARSH_DEMO_PIPELINE" naming an
// audio file it runs that file through the dictation pipeline instead, prints the text and ends.
#include "Core/Log.h"
#include "Core/Settings.h"
#include "Dictation/DemoPipeline.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppInfo.h"
#include "Shell/QuitOnSignals.h"
#include "Shell/SingleInstance.h"
#include "WindowOnScreen.h"
#include "X11/X11WindowCover.h"

#include <QApplication>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

int main(int argc, char* argv[])
{
    const auto demoAudio = Environment::value("QUILLMARSH_DEMO_PIPELINE");
    // The demonstration needs no display.
    if (demoAudio && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // The processor draws the windows, redrawing only what changed: a breathing orb costs its own
    // square rather than the whole window each frame, and the windows look as their pictures do.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    QApplication::setApplicationVersion(AppInfo::shortVersion());
    QApplication::setDesktopFileName(QStringLiteral("quillmarsh"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (QApplication::platformName() == QStringLiteral("xcb")) {
        WindowOnScreen::setCoverWatch(
            [](QWindow& window, std::function<void(bool)> report) -> std::unique_ptr<QObject> {
                return std::make_unique<X11WindowCover>(window.winId(), std::move(report));
            });
    }

    if (demoAudio) {
        AppDelegate delegate(Settings::shared());
        return DemoPipeline::run({delegate.model(), delegate.models(), delegate.speechRouter()},
                                 Environment::expandTilde(*demoAudio));
    }

    SingleInstance instance;
    const SingleInstance::Claim claim = instance.claim(QApplication::arguments());
    switch (claim) {
    case SingleInstance::Claim::first:
        break;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::refused:
        Log::info(instance.refusal());  // to the log and the terminal
        return 1;
    case SingleInstance::Claim::alone:
        Log::info(instance.refusal());
        break;
    }

    const QuitOnSignals quitOnSignals;
    AppDelegate delegate(Settings::shared());
    // Said in the window too, as the other states that need the user's attention are.
    if (claim == SingleInstance::Claim::alone)
        delegate.model().setRunsAlone(instance.refusal());
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &delegate, &AppDelegate::handleArguments);
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.start(QApplication::arguments()); });
    return QApplication::exec();
}
