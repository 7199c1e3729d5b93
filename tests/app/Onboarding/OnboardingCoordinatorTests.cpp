#include "AppFixture.h"
#include "Core/Settings.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "OnboardingCoordinator.h"
#include "OnboardingFakes.h"
#include "OnboardingWindowController.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppWindows.h"
#include "Shell/QmlWindowFactory.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

using Key = HotkeyMonitor::Key;
using Step = OnboardingModel::Step;

class OnboardingCoordinatorTests : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<AppFixture> app_;
    std::unique_ptr<Settings> settings_;
    FakeKeyboard keyboard_;
    FakePermissions permissions_;
    FakePanels panels_;
    ManualClock clock_;
    std::vector<Key> keysSet_;
    int quits_ = 0;
    std::unique_ptr<OnboardingCoordinator> coordinator_;

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", QFile::encodeName(folder_.filePath("test.log")));
        app_ = std::make_unique<AppFixture>();
    }

    void init()
    {
        settings_ = std::make_unique<Settings>(folder_.filePath("settings.conf"));
        keysSet_.clear();
        quits_ = 0;
        const auto makeWindow = [this](const QString& file, const QVariantMap& properties) {
            return QmlWindowFactory(app_->delegate().qmlEngine()).make(file, properties);
        };
        const auto setKey = [this](Key key) {
            keysSet_.push_back(key);
            coordinator_->keyChanged(key);
        };
        coordinator_ = std::make_unique<OnboardingCoordinator>(
            OnboardingCoordinator::Services{makeWindow, *settings_, keyboard_, permissions_, panels_, clock_},
            OnboardingCoordinator::Hooks{setKey, {}, [this] { ++quits_; }});
    }

    void cleanup() { coordinator_.reset(); }
    void cleanupTestCase() { app_.reset(); }

    void showPrimesOneWindowAndBringsItBack()
    {
        ScopedEnvironment step("QUILLMARSH_ONBOARDING_STEP", "+2");
        const LogLines log;
        coordinator_->show(Key::rightCommand, {ModelInstaller::Installing{5, 10, 1, std::nullopt}, true,
                                               PunctuationInstaller::Installed{}});
        OnboardingModel* model = coordinator_->model();
        QVERIFY(model);
        QCOMPARE(model->step(), Step::permissions);
        QCOMPARE(model->key(), Key::rightCommand);
        QVERIFY(model->modelReady());
        QVERIFY(coordinator_->controller()->window()->isVisible());

        model->back();
        coordinator_->show(Key::fn, {});
        QCOMPARE(coordinator_->model(), model);
        QCOMPARE(model->step(), Step::key);
        QCOMPARE(log.lines().filter("onboarding shown").size(), 1);

        // Closed mid-way, it opens again with a fresh model.
        coordinator_->controller()->close();
        QVERIFY(!coordinator_->isOpen());
        coordinator_->show(Key::fn, {});
        QCOMPARE(coordinator_->model()->step(), Step::permissions);
        QCOMPARE(coordinator_->model()->key(), Key::fn);
    }

    // Without a tray nothing but the window says Quillmarsh runs: closed before the end, the
    // application goes, and the first run comes back at the next start.
    void closingEarlyWithoutATrayQuits_data()
    {
        QTest::addColumn<bool>("inTray");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("quits");
        QTest::newRow("without a tray") << false << false << 1;
        QTest::newRow("in the tray") << true << false << 0;
        QTest::newRow("finished") << false << true << 0;
    }
    void closingEarlyWithoutATrayQuits()
    {
        QFETCH(bool, inTray);
        QFETCH(bool, finished);
        QFETCH(int, quits);
        OnboardingCoordinator::Progress progress;
        progress.inTray = inTray;
        coordinator_->show(Key::rightCommand, progress);
        if (finished) {
            coordinator_->model()->setStep(Step::done);
            coordinator_->model()->next();
        } else {
            coordinator_->controller()->close();
        }
        QVERIFY(!coordinator_->isOpen());
        QCOMPARE(quits_, quits);
        QCOMPARE(OnboardingCoordinator::showsAtLaunch(*settings_, false), !finished);
        settings_->remove("onboardingDone");
    }

    void theStepVariableTakesOnlyAStep_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("step");  // -1: ignored and logged
        for (const auto& [value, step] : std::vector<std::pair<QString, int>>{{"0", 0}, {"+2", 2}, {"4", 4}})
            QTest::newRow(qPrintable(value)) << value << step;
        for (const char* value : {"7", "-1", "5", "two", "2.0", " 2", "0x2", "99999999999"})
            QTest::newRow(value) << QString(value) << -1;
    }
    void theStepVariableTakesOnlyAStep()
    {
        QFETCH(QString, value);
        QFETCH(int, step);
        ScopedEnvironment variable("QUILLMARSH_ONBOARDING_STEP", value);
        const LogLines log;
        const auto requested = OnboardingCoordinator::requestedStep();
        QCOMPARE(requested ? int(*requested) : -1, step);
        QCOMPARE(log.mentions("onboarding step ignored: " + value), step < 0);
    }

    void aFirstLaunchGoesThroughTheApplication()
    {
        ScopedEnvironment show("QUILLMARSH_SHOW_ONBOARDING", std::nullopt);
        AppDelegate& delegate = app_->delegate();
        const LogLines log;
        delegate.start();
        QVERIFY(delegate.onboarding().isOpen());
        QVERIFY(!delegate.windows().main());

        OnboardingModel* model = delegate.onboarding().model();
        QVERIFY(!model->inTray());  // the test desktop has no tray: the done step says so
        model->chooseKey("rightCommand");
        QCOMPARE(app_->settings().value("dictationKey").toString(), "rightCommand");
        QCOMPARE(delegate.model().dictationKey(), Key::rightCommand);
        QCOMPARE(model->key(), Key::rightCommand);

        delegate.model().actions()->showOnboarding();
        QCOMPARE(delegate.onboarding().model(), model);
        QPointer<QQuickWindow> window = delegate.onboarding().controller()->window();
        model->setStep(Step::done);
        model->next();
        QVERIFY(app_->settings().value("onboardingDone").toBool());
        QVERIFY(log.mentions("onboarding done"));
        QVERIFY(delegate.windows().main() && delegate.windows().main()->isVisible());
        QVERIFY(!delegate.onboarding().isOpen());
        QVERIFY(QTest::qWaitFor([&] { return window.isNull(); }));

        QVERIFY(!OnboardingCoordinator::showsAtLaunch(app_->settings(), false));
        ScopedEnvironment again("QUILLMARSH_SHOW_ONBOARDING", "1");
        QVERIFY(OnboardingCoordinator::showsAtLaunch(app_->settings(), false));
    }

    void aDamagedSettingsFileDoesNotBringTheWindowBackToAUserWithRecords()
    {
        ScopedEnvironment unset("QUILLMARSH_SHOW_ONBOARDING", std::nullopt);
        const QString path = folder_.filePath("damaged.conf");
        for (const bool recordsShowUse : {false, true}) {
            writeFile(path, "[General]\npunctuation=false\n[broken\n");
            Settings damaged(path);
            QVERIFY(damaged.wasDamaged());
            QCOMPARE(OnboardingCoordinator::showsAtLaunch(damaged, recordsShowUse), !recordsShowUse);
            QCOMPARE(OnboardingCoordinator::isDone(damaged), recordsShowUse);  // the mark is written again
        }
        // Without damage the mark alone decides.
        QVERIFY(OnboardingCoordinator::showsAtLaunch(*settings_, true));
    }

    void theApplicationsNewsReachTheOpenModel()
    {
        coordinator_->installChanged(ModelInstaller::Idle{});  // closed: nothing to write
        coordinator_->show(Key::fn, {});
        OnboardingModel* model = coordinator_->model();

        model->chooseKey("rightOption");
        QCOMPARE(keysSet_, std::vector{Key::rightOption});
        coordinator_->modelReadyChanged(true);
        coordinator_->installChanged(ModelInstaller::Installed{"/m"});
        coordinator_->punctuationChanged(PunctuationInstaller::Failed{"x"});
        QVERIFY(model->modelReady());
        QVERIFY(std::holds_alternative<ModelInstaller::Installed>(model->install()));
        QVERIFY(std::holds_alternative<PunctuationInstaller::Failed>(model->punctuation()));

        // Dictations count on the try-it step only.
        const auto dictate = [&](const QString& text) {
            model->setPractice("typed");
            model->setDictated("before");
            coordinator_->dictationKeyDown();
            coordinator_->inserted(text);
            return model->practice() + "|" + model->dictated();
        };
        QCOMPARE(dictate("سلام"), "typed|before");
        model->setStep(Step::tryIt);
        QCOMPARE(dictate("سلام"), "|سلام");
    }
};

QTEST_MAIN(OnboardingCoordinatorTests)
#include "OnboardingCoordinatorTests.moc"
