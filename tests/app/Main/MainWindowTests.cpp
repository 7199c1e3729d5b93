// Runs the main window's Qt Quick tests over a delegate with empty records. In QML, `appModel` is
// the page model, `desktop` decides what the desktop allows (`microphone`, `accessibility`) and
// `records` adds and clears dictations.
// The autostart folder can't be made, so opening at login fails.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "Core/Settings.h"
#include "Fonts.h"
#include "History/HistoryStore.h"
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
        Permissions::replace([this] { return desktop_.microphone_; }, [this] { return desktop_.accessibility_; });
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
        engine->rootContext()->setContextProperty(QStringLiteral("desktop"), &desktop_);
        history_ = &fixture_->delegate().history();
        engine->rootContext()->setContextProperty(QStringLiteral("records"), &records_);
    }
    void cleanupTestCase()
    {
        Permissions::replace({}, {});
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
