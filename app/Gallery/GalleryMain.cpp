// Renders every design-system component into one picture: `quillmarsh-gallery out.png` writes
// the PNG and quits (run it with QT_QPA_PLATFORM=offscreen); without an argument it shows the
// gallery in a window.
#include "Fonts.h"

#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

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

    const QString output = QString::fromLocal8Bit(argv[1]);
    // Images and fonts load within the first frames; a short pause after the first frame lets the
    // orbs run a few frames too.
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [window, output] {
        static bool scheduled = false;
        if (scheduled)
            return;
        scheduled = true;
        QTimer::singleShot(400, window, [window, output] {
            const QImage picture = window->grabWindow();
            if (picture.isNull() || !picture.save(output, "PNG")) {
                std::fprintf(stderr, "gallery: could not write %s\n", qPrintable(output));
                QGuiApplication::exit(1);
                return;
            }
            QGuiApplication::quit();
        });
    });
    return QGuiApplication::exec();
}
