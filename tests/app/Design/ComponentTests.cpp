// Runs the components' Qt Quick tests with the design system and the application's fonts.
#include "Fonts.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() { Fonts::registerFonts(); }
    void qmlEngineAvailable(QQmlEngine* engine) { engine->addImportPath(QStringLiteral("qrc:/qt/qml")); }
};

QUICK_TEST_MAIN_WITH_SETUP(ComponentTests, Setup)
#include "ComponentTests.moc"
