// The application's entry. For now it registers the fonts and shows a window with the orb mark;
// the menu-bar shell arrives with the shell itself.
#include "Fonts.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    Fonts::registerFonts();

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.loadData(R"(
    import QtQuick
    import Quillmarsh.Design
    Window {
      width: 480; height: 320; visible: true
      title: "Quillmarsh"
      color: QM.paper
      OrbMark { anchors.centerIn: parent; size: 96; cycle: true }
    }
  )");
    if (engine.rootObjects().isEmpty())
        return 1;
    return QGuiApplication::exec();
}
