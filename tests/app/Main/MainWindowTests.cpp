// Runs the main window's Qt Quick tests over a delegate with empty records. In QML, `appModel` is
// the page model and `desktop` decides what the desktop allows (`microphone`, `accessibility`).
// The autostart folder can't be made, so opening at login fails.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "Fonts.h"
#include "LoginItem.h"
#include "Permissions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class FakeDesktop : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool microphone MEMBER microphone_)
    Q_PROPERTY(bool accessibility MEMBER accessibility_)

public:
    bool microphone_ = true;
    bool accessibility_ = true;
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        fixture_ = std::make_unique<AppFixture>();
        const QFileInfo autostart(QFileInfo(LoginItem::entryPath()).path());
        QDir().mkpath(autostart.path());
        QFile blocker(autostart.filePath());
        if (!blocker.open(QIODevice::WriteOnly))
            qFatal("cannot block the autostart folder");
        Permissions::replace([this] { return desktop_.microphone_; }, [this] { return desktop_.accessibility_; });
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
        engine->rootContext()->setContextProperty(QStringLiteral("desktop"), &desktop_);
    }
    void cleanupTestCase()
    {
        Permissions::replace({}, {});
        fixture_.reset();
    }

private:
    FakeDesktop desktop_;
    std::unique_ptr<AppFixture> fixture_;
};

QUICK_TEST_MAIN_WITH_SETUP(MainWindowTests, Setup)
#include "MainWindowTests.moc"
