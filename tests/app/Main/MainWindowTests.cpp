// Runs the main window's Qt Quick tests over a delegate with empty records. In QML, `appModel` is
// the page model, `desktop` decides what the desktop allows (`hasMicrophone`, `typing`,
// `switchState`: "on", "off" or "absent") and records the panels opened, and `records` adds and
// clears dictations.
// The autostart folder can't be made, so opening at login fails.
#include "AppFixture.h"
#include "DesktopPermissions.h"
#include "Fonts.h"
#include "History/HistoryStore.h"
#include "SettingsPanels.h"
#include "Shell/AppDelegate.h"
#include "Shell/LoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class FakeDesktop : public QObject, public DesktopPermissions, public SettingsPanels {
    Q_OBJECT
    Q_PROPERTY(bool hasMicrophone MEMBER hasMicrophone_)
    Q_PROPERTY(bool typing MEMBER typing_)
    Q_PROPERTY(QString switchState MEMBER switchState_)
    Q_PROPERTY(int panelsOpened MEMBER panelsOpened_)

public:
    Microphone::Permission microphone() const override
    {
        return hasMicrophone_ ? Microphone::Permission::authorized : Microphone::Permission::restricted;
    }
    bool canType() const override { return typing_; }
    Switch accessibility() const override
    {
        return switchState_ == "on" ? Switch::on : switchState_ == "off" ? Switch::off : Switch::absent;
    }
    void promptAccessibility() override
    {
        if (switchState_ == "off")
            switchState_ = QStringLiteral("on");
    }
    void open(Panel) override { ++panelsOpened_; }
    bool available(Panel) const override { return true; }

private:
    bool hasMicrophone_ = true;
    bool typing_ = true;
    QString switchState_ = QStringLiteral("on");
    int panelsOpened_ = 0;
};

class Records : public QObject {
    Q_OBJECT

public:
    explicit Records(HistoryStore*& history) : history_(history) {}

    // The new entry's identifier, without braces.
    Q_INVOKABLE QString addDictation(const QString& text)
    {
        const HistoryEntry entry(QUuid::createUuid(), QDateTime::currentDateTime(), text);
        history_->add(entry);
        return entry.id.toString(QUuid::WithoutBraces);
    }
    Q_INVOKABLE void clearHistory() { history_->clear(); }

private:
    HistoryStore*& history_;
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        // A sign-in service is set up (never reached: no test signs in), so the Account page offers sign-in.
        qputenv("QUILLMARSH_SUPABASE_URL", "https://auth.example.invalid");
        fixture_ = std::make_unique<AppFixture>();
        const QFileInfo autostart(QFileInfo(LoginItem::entryPath()).path());
        QDir().mkpath(autostart.path());
        QFile blocker(autostart.filePath());
        if (!blocker.open(QIODevice::WriteOnly))
            qFatal("cannot block the autostart folder");
        DesktopPermissions::replaceSystem(&desktop_);
        SettingsPanels::replaceSystem(&desktop_);
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
        engine->rootContext()->setContextProperty(QStringLiteral("desktop"), &desktop_);
        history_ = fixture_->delegate().model().history();
        engine->rootContext()->setContextProperty(QStringLiteral("records"), &records_);
    }
    void cleanupTestCase()
    {
        DesktopPermissions::replaceSystem(nullptr);
        SettingsPanels::replaceSystem(nullptr);
        fixture_.reset();
    }

private:
    FakeDesktop desktop_;
    HistoryStore* history_ = nullptr;
    Records records_{history_};
    std::unique_ptr<AppFixture> fixture_;
};

QUICK_TEST_MAIN_WITH_SETUP(MainWindowTests, Setup)
#include "MainWindowTests.moc"
