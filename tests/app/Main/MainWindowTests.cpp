// Runs the main window's Qt Quick tests over a delegate with empty records; the page model is
// `appModel` in QML.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "Fonts.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        fixture_ = std::make_unique<AppFixture>();
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
    }
    void cleanupTestCase() { fixture_.reset(); }

private:
    std::unique_ptr<AppFixture> fixture_;
};

QUICK_TEST_MAIN_WITH_SETUP(MainWindowTests, Setup)
#include "MainWindowTests.moc"
