// Renders every design-system component into one picture: `quillmarsh-gallery out.png` writes
// the PNG and quits (run it with QT_QPA_PLATFORM=offscreen); without an argument it shows the
// gallery in a window.
#include "Fonts.h"
#include "WindowPicture.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    Fonts::registerFonts();

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.load(QUrl(QStringLiteral("qrc:/Gallery/Gallery.qml")));
    auto* window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window)
        return 1;
    if (argc < 2)
        return QGuiApplication::exec();

    WindowPicture::saveWhenDrawn(window, QString::fromLocal8Bit(argv[1]));
    return QGuiApplication::exec();
}
