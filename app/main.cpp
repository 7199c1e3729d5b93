// The application's entry: one instance per user, the composition root, the event loop. It lives
// in the tray; closing its last window does not end it.
#include "AppDelegate.h"
#include "Core/Settings.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    QApplication::setDesktopFileName(QStringLiteral("quillmarsh"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (!instance.claim(QApplication::arguments()))
        return 0;

    AppDelegate delegate(Settings::shared());
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &delegate, &AppDelegate::handleArguments);
    QTimer::singleShot(0, &delegate, &AppDelegate::start);
    return QApplication::exec();
}
