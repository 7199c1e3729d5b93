// Runs the layout checks over the application's delegate with the pictures' long sample records:
// texts as long as the stores allow, the longest status and error lines, and a signed-in user with
// a Persian name. In QML, `appModel` is the page model.
#include "AppFixture.h"
#include "Fonts.h"
#include "SeedData.h"
#include "Shell/AppDelegate.h"

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
        const QDateTime now = QDateTime::currentDateTime();
        fixture_ = std::make_unique<AppFixture>(
            [now](Settings& settings) { SeedData::write(settings, now, SeedData::Sample::longTexts); });
        AppModel& model = fixture_->delegate().model();
        SeedData::setRunningState(model, SeedData::Sample::longTexts);
        model.setAccountState(SeedData::accountSession(now, SeedData::Sample::longTexts));
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

QUICK_TEST_MAIN_WITH_SETUP(LayoutTests, Setup)
#include "LayoutTests.moc"
