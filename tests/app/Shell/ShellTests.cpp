// The shell's rules over real stores and settings in a temporary folder: each setting is stored
// under its key, the history and recordings are pruned, a model switch is refused while busy, the
// server settings follow their precedence, open at login writes its entry, Control-Q quits from
// every window, a sign-in's return finishes the sign-in when it is what starts the application.
#include "AppFixture.h"
#include "Clips/ClipUploader.h"
#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "LogLines.h"
#include "Models/InstallRecord.h"
#include "Models/ModelStore.h"
#include "Onboarding/OnboardingCoordinator.h"
#include "Onboarding/OnboardingModel.h"
#include "Recognition/ModelHost.h"
#include "Setup/ModelSetup.h"
#include "Setup/ServerSettings.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppWindows.h"
#include "Shell/LoginItem.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

const std::vector<float> oneSecond(16000, 0.1f);

HistoryEntry entryAged(qint64 seconds)
{
    return HistoryEntry(QUuid::createUuid(), QDateTime::currentDateTimeUtc().addSecs(-seconds), QStringLiteral("سلام"));
}

// Adds an entry of that age and gives its identifier.
QUuid addAged(HistoryStore& history, qint64 seconds)
{
    const HistoryEntry entry = entryAged(seconds);
    history.add(entry);
    return entry.id;
}

constexpr qint64 day = 24 * 3600;

// The application's frames, by their names, as the accessibility bus lists them to a reader.
QStringList framesHeard()
{
    QStringList names;
    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; i < application->childCount(); ++i)
        names << application->child(i)->text(QAccessible::Name);
    return names;
}

}

class ShellTests : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder_;

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", logFolder_.filePath(QStringLiteral("Quillmarsh.log")).toLocal8Bit());
    }

    void settingIsStoredUnderItsKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("history") << "historyEnabled" << QVariant(false);
        QTest::newRow("retention") << "historyDays" << QVariant(90);
    }
    void settingIsStoredUnderItsKey()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        AppFixture app;
        QVERIFY(app.delegate().model().setProperty(qPrintable(key), value));
        QCOMPARE(app.settings().value(key).toString(), value.toString());
        // The next start reads it back.
        AppDelegate next(app.settings());
        QCOMPARE(next.model().property(qPrintable(key)), value);
    }

    void retentionPrunesAndNeverGoesBelowOneDay()
    {
        AppFixture app;
        HistoryStore& history = *app.delegate().model().history();
        history.add(entryAged(10 * day));
        const QUuid recent = addAged(history, 3600);
        app.delegate().model().setHistoryDays(7);
        QCOMPARE(history.entries().size(), 1);
        app.delegate().model().setHistoryDays(0);
        QCOMPARE(app.delegate().model().historyDays(), 1);
        QCOMPARE(app.settings().value(QStringLiteral("historyDays")).toInt(), 1);
        QCOMPARE(history.entries().first().id, recent);
    }

    void unsetRetentionIsThirtyDays()
    {
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("historyDays"), 0); });
        QCOMPARE(app.delegate().model().historyDays(), 30);
    }

    void turningRecordingsOffDeletesThem()
    {
        AppFixture app;
        const QUuid id = addAged(*app.delegate().model().history(), 60);
        app.delegate().model().setKeepClips(true);
        app.delegate().model().vault().save(oneSecond, id);
        app.delegate().model().setKeepClips(false);
        QVERIFY(!app.delegate().model().vault().has(id));
    }

    void modelSwitch()
    {
        AppFixture app;
        MainActions& actions = *app.delegate().model().actions();
        const QString inUse = app.delegate().model().modelPackage();
        const QString other = inUse == QLatin1String("1120ms") ? QStringLiteral("320ms") : QStringLiteral("1120ms");

        LogLines sameLog;
        QVERIFY(actions.setModelPackage(inUse));
        QVERIFY(!sameLog.mentions(QStringLiteral("switching model")));

        // A load under way makes the application busy until it ends.
        app.delegate().models().host().load(RecognizerConfig(app.folder().filePath(QStringLiteral("no-model"))));
        LogLines busyLog;
        QVERIFY(!actions.setModelPackage(other));
        QVERIFY(busyLog.mentions(QStringLiteral("model switch ignored: busy")));
        QVERIFY(!app.settings().contains(QStringLiteral("modelPackage")));

        QTRY_VERIFY(!app.delegate().models().busy());
        LogLines switchLog;
        QVERIFY(actions.setModelPackage(other));
        QCOMPARE(app.settings().value(QStringLiteral("modelPackage")).toString(), other);
        QVERIFY(switchLog.mentions(QStringLiteral("switching model to ") + other));
    }

    void serverSettingsPrecedence_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("builtIn");
        QTest::addColumn<QString>("expected");  // empty: no server
        // The order itself is the settings' lookup; here, what the servers make of its answer.
        QTest::newRow("environment first") << QString("wss://env.example/s") << QString("wss://user.example/s")
                                           << QString("wss://app.example/s") << QString("wss://env.example/s");
        QTest::newRow("none") << QString() << QString() << QString() << QString();
        QTest::newRow("insecure is ignored")
            << QString("ws://speech.example/s") << QString("wss://user.example/s") << QString() << QString();
    }
    void serverSettingsPrecedence()
    {
        QFETCH(QString, environment);
        QFETCH(QString, user);
        QFETCH(QString, builtIn);
        QFETCH(QString, expected);
        AppFixture app;
        qputenv("QUILLMARSH_CLOUD_URL", environment.toUtf8());
        app.settings().setValue(QStringLiteral("cloudURL"), user);
        Settings::setBuiltIn({{QStringLiteral("QuillmarshServerURL"), builtIn}});
        LogLines log;
        const auto cloud = CloudSettings::load(app.settings());
        const auto format = FormatSettings::load(app.settings(), cloud);
        Settings::setBuiltIn({});
        qunsetenv("QUILLMARSH_CLOUD_URL");

        QCOMPARE(cloud ? cloud->url.toString() : QString(), expected);
        QCOMPARE(log.mentions(QStringLiteral("speech server setting ignored: ")), environment.startsWith("ws:"));
        if (cloud)  // the formatting server lives on the speech server's host
            QCOMPARE(format->endpoint.host(), cloud->url.host());
    }

    void uploaderFollowsTheFormattingServer()
    {
        QVERIFY(!AppFixture().delegate().model().uploader());
        AppFixture app([](Settings& settings) {
            settings.setValue(QStringLiteral("formatURL"), QStringLiteral("https://format.example:8443/v1/format?x=1"));
        });
        QCOMPARE(app.delegate().model().uploader()->baseURL(), QUrl(QStringLiteral("https://format.example:8443")));
    }

    void startUpPrunesHistoryAndRecordings_data()
    {
        QTest::addColumn<bool>("keepClips");
        QTest::newRow("keeping recordings") << true;
        QTest::newRow("not keeping them") << false;
    }
    void startUpPrunesHistoryAndRecordings()
    {
        QFETCH(bool, keepClips);
        QUuid old, recent, oldClip;
        AppFixture app([&](Settings& settings) {
            settings.setValue(QStringLiteral("keepClips"), keepClips);
            settings.setValue(QStringLiteral("historyDays"), AppModel::defaultHistoryDays);
            settings.setValue(QStringLiteral("onboardingDone"), true);
            HistoryStore history(HistoryStore::defaultURL());
            old = addAged(history, 31 * day);
            oldClip = addAged(history, 8 * day);
            recent = addAged(history, 60);
            ClipVault vault(ClipVault::defaultFolder());
            vault.save(oneSecond, recent);
            QFile file(vault.save(oneSecond, oldClip));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-8), QFileDevice::FileModificationTime));
        });
        app.delegate().start();
        const QList<HistoryEntry>& entries = app.delegate().model().history()->entries();
        QCOMPARE(entries.size(), 2);
        QVERIFY(std::none_of(entries.begin(), entries.end(), [&](const HistoryEntry& e) { return e.id == old; }));
        QVERIFY(!app.delegate().model().vault().has(oldClip));
        QCOMPARE(app.delegate().model().vault().has(recent), keepClips);
    }

    void statusMenuOffersTryAgainAfterAFailedInstall()
    {
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("onboardingDone"), true); });
        app.delegate().start();
        QMenu* menu = app.delegate().statusMenu();
        const auto item = [menu](const QString& prefix) {
            const QList<QAction*> actions = menu->actions();
            const auto found = std::find_if(actions.begin(), actions.end(),
                                            [&](QAction* action) { return action->text().startsWith(prefix); });
            return found == actions.end() ? nullptr : *found;
        };
        QTRY_VERIFY(app.delegate().models().failed());
        emit menu->aboutToShow();
        QVERIFY(item(QStringLiteral("Try again"))->isVisible());
        QVERIFY(item(QStringLiteral("The model files weren")));  // the install's error
        QCOMPARE(item(QStringLiteral("Dictation key: "))->text(), QStringLiteral("Dictation key: right Ctrl"));
        QVERIFY(item(QStringLiteral("Quit Quillmarsh")));
        // A later start of the program brings the window back.
        app.delegate().windows().main()->close();
        QTRY_VERIFY(!app.delegate().windows().main());
        app.delegate().handleArguments({QStringLiteral("quillmarsh")});
        QVERIFY(app.delegate().windows().main()->isVisible());
    }

    // The library's text goes to the log; the page, the tray and the pill say what is wrong and
    // where the model comes from.
    void aModelThatCantLoadIsSaidInPlainWords()
    {
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("onboardingDone"), true); });
        const QString folder = app.folder().filePath(QStringLiteral("no-model"));
        QDir().mkpath(folder);
        const ScopedEnvironment modelDir("QUILLMARSH_MODEL_DIR", folder);
        const LogLines log;
        app.delegate().start();
        QTRY_VERIFY(app.delegate().models().failed());
        const AppModel& model = app.delegate().model();
        QCOMPARE(model.speechStatus(), "Speech model missing");
        const QString problem = "The speech model is missing. It comes from " + folder
                                + " (QUILLMARSH_MODEL_DIR): put a whole model there, then choose Try again.";
        QCOMPARE(model.speechProblem(), problem);
        QVERIFY(log.mentions("model not loaded: model file not found: " + folder + "/encoder.onnx"));
        emit app.delegate().statusMenu()->aboutToShow();
        QCOMPARE(app.delegate().statusMenu()->actions().first()->text(), problem);
    }

    // A slow host's wait counts up in the tray's menu while it is open, without opening it again.
    void theTraysModelLineFollowsTheModelWhileOpen()
    {
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("onboardingDone"), true); });
        app.delegate().start();
        QTRY_VERIFY(app.delegate().models().failed());
        QMenu* menu = app.delegate().statusMenu();
        emit menu->aboutToShow();
        AppModel& model = app.delegate().model();
        model.setSpeechProblem(QString());
        for (const int seconds : {3, 4}) {
            model.setSpeechStatus(QStringLiteral("The model host is slow: waited %1 s.").arg(seconds));
            QCOMPARE(menu->actions().first()->text(),
                     QStringLiteral("Speech model: The model host is slow: waited %1 s.").arg(seconds));
        }
    }

    // Loading a damaged model again can't help: "Try again" fetches it anew.
    void tryAgainFetchesADamagedModelAnew()
    {
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("onboardingDone"), true); });
        const auto package = *ModelPackage::fromRawValue(app.delegate().model().modelPackage());
        const QString folder = ModelStore::directory(package);
        QDir().mkpath(folder);
        InstallRecord record{package.rawValue(), QStringLiteral("test"), QDateTime::currentDateTimeUtc(), {}};
        for (const QFileInfo& file : QDir(TestModels::transducer()).entryInfoList(QDir::Files)) {
            QFile::copy(file.filePath(), folder + u'/' + file.fileName());
            record.files.append({file.fileName(), file.size(), ModelStore::sha256(file.filePath())});
        }
        QFile encoder(folder + QStringLiteral("/encoder.onnx"));
        QVERIFY(encoder.open(QIODevice::ReadWrite));
        encoder.write("damaged");
        encoder.close();
        QFile recordFile(folder + QStringLiteral("/.installed.json"));
        QVERIFY(recordFile.open(QIODevice::WriteOnly));
        recordFile.write(record.encoded());
        recordFile.close();

        app.delegate().start();
        QTRY_VERIFY(app.delegate().models().failed());
        QCOMPARE(app.delegate().model().speechStatus(), "Speech model damaged");
        QCOMPARE(app.delegate().model().speechProblem(),
                 "The speech model is damaged. Choose Try again to download it anew.");
        app.delegate().model().actions()->retryModel();
        QVERIFY(!QFileInfo::exists(encoder.fileName()));
        // The empty model source has nothing to give, which the installer says.
        QTRY_VERIFY(app.delegate().model().speechProblem().startsWith("The model files weren"));
    }

    void mainWindowComesBackOntoAScreenAndRemembersWhereItWas()
    {
        AppFixture app([](Settings& settings) {
            settings.setValue(QStringLiteral("QuillmarshMainWindow2"), QRect(5000, 4000, 1120, 810));
        });
        app.delegate().windows().showMain();
        QQuickWindow* window = app.delegate().windows().main();
        const QRect screen = window->screen()->availableGeometry();
        QVERIFY(screen.contains(window->geometry().topLeft()));

        window->setPosition(screen.topLeft() + QPoint(7, 9));
        const QRect moved = window->geometry();
        QTRY_COMPARE(app.settings().value(QStringLiteral("QuillmarshMainWindow2")).toRect(), moved);
        window->close();
        QTRY_VERIFY(!app.delegate().windows().main());
        app.delegate().windows().showMain();
        // The test screen is narrower than the window's least width, so only the height and the
        // top edge can come back as they were.
        const QRect restored = app.delegate().windows().main()->geometry();
        QCOMPARE(restored.y(), moved.y());
        QCOMPARE(restored.height(), moved.height());
    }

    void controlQQuitsFromEveryWindow()
    {
        AppFixture app;
        AppDelegate& delegate = app.delegate();
        delegate.model().vault().save(oneSecond, addAged(*delegate.model().history(), 60));
        delegate.windows().showMain();
        delegate.showOnboarding();
        delegate.windows().showAcknowledgements();
        QVERIFY(delegate.windows().showNewestShare());
        const QList<QQuickWindow*> windows{delegate.windows().main(), delegate.onboarding().controller()->window(),
                                           delegate.windows().acknowledgements(), delegate.windows().share()};
        for (QQuickWindow* window : windows) {
            QSignalSpy quit(&delegate.qmlEngine(), &QQmlEngine::quit);
            window->requestActivate();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(quit.size(), 1);
        }
    }

    // Nothing in it takes the keyboard: the keys scroll it, and Escape or Control-W close it, and
    // then it is gone from the frames a reader lists.
    void theAcknowledgementsScrollAndCloseByKeys()
    {
        AppFixture app;
        AppDelegate& delegate = app.delegate();
        for (const QKeyCombination closing : {QKeyCombination(Qt::Key_Escape), Qt::ControlModifier | Qt::Key_W}) {
            delegate.windows().showAcknowledgements();
            QQuickWindow* window = delegate.windows().acknowledgements();
            window->requestActivate();
            QVERIFY(QTest::qWaitForWindowActive(window));
            const auto* scroller = window->findChild<QQuickItem*>(QStringLiteral("scroller"));
            QVERIFY(scroller);
            auto* view = scroller->property("contentItem").value<QQuickItem*>();
            QTest::keyClick(window, Qt::Key_PageDown);
            QCOMPARE_GT(view->property("contentY").toReal(), 0);
            QTest::keyClick(window, Qt::Key_End);
            QCOMPARE(view->property("contentY").toReal(), view->property("contentHeight").toReal() - view->height());
            QVERIFY(framesHeard().contains(QStringLiteral("Acknowledgements")));
            QTest::keyClick(window, closing.key(), closing.keyboardModifiers());
            QTRY_VERIFY(!framesHeard().contains(QStringLiteral("Acknowledgements")));
        }
    }

    // The end of the first run leaves the keyboard on the main window's page, with its ring.
    void theEndOfTheFirstRunLeavesTheFocusOnThePage()
    {
        AppFixture app;
        AppDelegate& delegate = app.delegate();
        delegate.showOnboarding();
        OnboardingModel* onboarding = delegate.onboarding().model();
        onboarding->setStep(OnboardingModel::Step::done);
        onboarding->next();
        QQuickWindow* main = delegate.windows().main();
        QVERIFY(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        const auto* page = main->contentItem()->childItems().constFirst()->property("page").value<QQuickItem*>();
        QTRY_VERIFY(main->activeFocusItem() && page->isAncestorOf(main->activeFocusItem()));
        QVERIFY(main->activeFocusItem()->property("visualFocus").toBool());
    }

    void signInReturnThatStartsTheApplicationSignsIn()
    {
        TestAuthService auth([] { return QDateTime::currentSecsSinceEpoch(); });
        qputenv("QUILLMARSH_SUPABASE_URL", auth.config().baseURL.toEncoded());
        AppFixture app([](Settings& settings) { settings.setValue(QStringLiteral("onboardingDone"), true); });
        qunsetenv("QUILLMARSH_SUPABASE_URL");
        AppDelegate& delegate = app.delegate();
        // The user chose Google and quit; the browser's return starts the program.
        const QUrl back = auth.googleReturn(delegate.account().manager().beginGoogle());
        LogLines log;
        delegate.start({QStringLiteral("quillmarsh"), back.toString(QUrl::FullyEncoded)});
        QTRY_VERIFY(delegate.model().session().has_value());
        QVERIFY(log.mentions(QStringLiteral("signed in")));
        QCOMPARE(delegate.model().section(), MainSection::account);
        QVERIFY(delegate.windows().main()->isVisible());
    }

    void openAtLogin()
    {
        AppFixture app;
        AppModel& model = app.delegate().model();
        QVERIFY(model.setOpensAtLogin(true));
        QVERIFY(model.opensAtLogin());
        QFile entry(LoginItem::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("--at-login"));
        QVERIFY(model.setOpensAtLogin(false));
        QVERIFY(!model.opensAtLogin());
    }
};

QTEST_MAIN(ShellTests)
#include "ShellTests.moc"
