// Runs the pages' Qt Quick tests against the real stores in a temporary folder (see PageFixture).
#include "Fonts.h"
#include "PageFixture.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() { Fonts::registerFonts(); }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("fixture"), new PageFixture(engine));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(PagesTests, Setup)
#include "PagesTests.moc"
