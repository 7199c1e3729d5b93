#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"

#include <QSignalSpy>
#include <QTest>

using Key = HotkeyMonitor::Key;
using Step = OnboardingModel::Step;
using Permission = Microphone::Permission;

class OnboardingModelTests : public QObject {
    Q_OBJECT

    FakeKeyboard keyboard_;
    FakePermissions permissions_;
    FakePanels panels_;
    ManualClock clock_;

    OnboardingModel makeModel(Key key = Key::rightOption) { return {key, keyboard_, permissions_, panels_, clock_}; }

private slots:
    void init()
    {
        keyboard_.options.clear();
        permissions_ = FakePermissions{};
        panels_.opened.clear();
    }

    void nextAndBackMoveUnderTheGates()
    {
        struct Case {
            Step from;
            Key key;
            QStringList keyboardOptions;
            bool canType;
            Step afterNext;
        };
        const Case cases[] = {
            {Step::welcome, Key::fn, {}, false, Step::key},
            {Step::key, Key::fn, {}, false, Step::permissions},
            {Step::key, Key::fn, {"grp:alt_shift_toggle", "grp:rwin_toggle"}, false, Step::permissions},
            {Step::key, Key::fn, {"compose:rctrl"}, false, Step::key},
            {Step::key, Key::rightCommand, {"grp:rctrl_toggle"}, false, Step::permissions},
            {Step::key, Key::rightCommand, {"grp:rwin_toggle"}, false, Step::key},
            {Step::permissions, Key::fn, {}, false, Step::permissions},
            {Step::permissions, Key::fn, {}, true, Step::tryIt},
            {Step::tryIt, Key::fn, {}, false, Step::done},
            {Step::done, Key::fn, {}, false, Step::done},
        };
        for (const Case& c : cases) {
            // Neither a microphone nor the accessibility switch holds the user back.
            permissions_.typing = c.canType;
            OnboardingModel model = makeModel(c.key);
            model.setKeyboardOptions(c.keyboardOptions);
            model.setStep(c.from);
            model.next();
            QCOMPARE(model.step(), c.afterNext);
            // Back is never gated and stops at the first step.
            model.setStep(c.from);
            model.back();
            QCOMPARE(int(model.step()), std::max(0, int(c.from) - 1));
        }
    }

    void theSecondlyPollPublishesOnlyChanges()
    {
        keyboard_.options = QStringList{"grp:rctrl_toggle"};
        OnboardingModel model = makeModel(Key::fn);
        QVERIFY(!model.keyReady());
        QSignalSpy mic(&model, &OnboardingModel::micChanged);
        QSignalSpy trusted(&model, &OnboardingModel::axTrustedChanged);
        QSignalSpy options(&model, &OnboardingModel::keyboardOptionsChanged);

        model.startPolling();
        clock_.advance(std::chrono::seconds(3));
        QCOMPARE(mic.count() + trusted.count() + options.count(), 0);

        // The layout switch moved to another key in the keyboard settings: the key is free at the
        // next check.
        keyboard_.options = QStringList{"grp:rwin_toggle"};
        clock_.advance(std::chrono::seconds(1));
        QCOMPARE(options.count(), 1);
        QVERIFY(model.keyReady());

        // A microphone plugged in shows at the next check.
        permissions_.mic = Permission::authorized;
        clock_.advance(std::chrono::milliseconds(999));
        QCOMPARE(mic.count(), 0);
        clock_.advance(std::chrono::milliseconds(1));
        QCOMPARE(mic.count(), 1);
        QCOMPARE(model.mic(), Permission::authorized);

        model.stopPolling();
        permissions_.state = DesktopPermissions::Switch::on;
        clock_.advance(std::chrono::seconds(5));
        QCOMPARE(trusted.count(), 0);
        QCOMPARE(clock_.pendingCount(), 0);
    }

    void downloadStatus_data()
    {
        QTest::addColumn<bool>("ready");
        QTest::addColumn<ModelInstaller::State>("install");
        QTest::addColumn<PunctuationInstaller::State>("punctuation");
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("secondsLeft");  // -1: nothing
        using MI = ModelInstaller;
        using PI = PunctuationInstaller;
        const PI::State idle = PI::Idle{};
        QTest::newRow("idle") << false << MI::State(MI::Idle{}) << idle << QString("Preparing the speech model…") << 0.0
                              << false << -1;
        QTest::newRow("rate unknown") << false << MI::State(MI::Installing{429496730, 1073741824, 0, std::nullopt})
                                      << idle << QString("Speech model · 0.4 of 1.0 GB") << 429496730 / 1073741824.0
                                      << false << -1;
        QTest::newRow("counting down") << false << MI::State(MI::Installing{1000, 13500, 1000, std::nullopt}) << idle
                                       << QString("Speech model · 0.0 of 0.0 GB") << 1000 / 13500.0 << false << 12;
        QTest::newRow("never below one") << false << MI::State(MI::Installing{1, 1000, 1000, std::nullopt}) << idle
                                         << QString("Speech model · 0.0 of 0.0 GB") << 0.001 << false << 1;
        QTest::newRow("host slow") << false << MI::State(MI::Installing{1000, 13500, 0, 12}) << idle
                                   << QString("The model host is slow: waited 12 s.") << 1000 / 13500.0 << false << -1;
        QTest::newRow("installed, not loaded") << false << MI::State(MI::Installed{"/m"}) << idle
                                               << QString("Preparing the speech model…") << 1.0 << false << -1;
        QTest::newRow("failed") << false << MI::State(MI::Failed{ModelInstallError::cancelled()}) << idle
                                << QString("The speech model couldn’t be installed · retry from the menu") << 0.0
                                << false << -1;
        QTest::newRow("punctuation") << true << MI::State(MI::Idle{}) << PI::State(PI::Installing{429, 1000})
                                     << QString("Speech model ready · adding punctuation 42 %") << 0.429 << false << -1;
        QTest::newRow("punctuation size unknown") << true << MI::State(MI::Idle{}) << PI::State(PI::Installing{0, 0})
                                                  << QString("Ready · works offline") << 1.0 << true << -1;
        QTest::newRow("punctuation failed")
            << true << MI::State(MI::Idle{}) << PI::State(PI::Failed{"x"})
            << QString("Speech model ready · punctuation couldn’t be downloaded (restart to retry)") << 1.0 << true
            << -1;
        QTest::newRow("ready") << true << MI::State(MI::Installed{"/m"}) << PI::State(PI::Installed{})
                               << QString("Ready · works offline") << 1.0 << true << -1;
    }
    void downloadStatus()
    {
        QFETCH(bool, ready);
        QFETCH(ModelInstaller::State, install);
        QFETCH(PunctuationInstaller::State, punctuation);
        OnboardingModel model = makeModel();
        QSignalSpy changed(&model, &OnboardingModel::downloadsChanged);
        model.setInstall(install);
        model.setModelReady(ready);
        model.setPunctuation(punctuation);
        QCOMPARE(changed.count(), 3);
        QTEST(model.downloadLine(), "line");
        QTEST(model.downloadFraction(), "fraction");
        QTEST(model.downloadsFinished(), "finished");
        QTEST(model.secondsLeft().value_or(-1), "secondsLeft");
    }

    void notesOnTheTestDictation_data()
    {
        QTest::addColumn<QString>("dictated");
        QTest::addColumn<QStringList>("notes");
        QTest::newRow("spaces") << QString("   \n") << QStringList{};
        QTest::newRow("repeats") << QString("Hello hello World, word.")
                                 << QStringList{"Hello, World, word stayed in English"};
        QTest::newRow("first three") << QString("one two three four")
                                     << QStringList{"one, two, three stayed in English"};
        QTest::newRow("accents count, Persian does not")
            << QString("café سلام") << QStringList{"café stayed in English"};
        QTest::newRow("sample") << QString("فردا یه meeting با تیم design داریم، می\u200Cخوام roadmap رو نی\u200Cنی")
                                << QStringList{"meeting, design, roadmap stayed in English",
                                               "Half-space in می\u200Cخوام", "Persian punctuation"};
    }
    void notesOnTheTestDictation()
    {
        OnboardingModel model = makeModel();
        QFETCH(QString, dictated);
        model.setDictated(dictated);
        QTEST(model.notes(), "notes");
    }

    void operationsAskTheDesktop()
    {
        OnboardingModel model = makeModel();
        model.requestMicrophone();
        model.openAccessibility();
        model.openKeyboardSettings();
        QCOMPARE(permissions_.accessibilityPrompts, 1);
        const std::vector expected{SettingsPanels::Panel::microphone, SettingsPanels::Panel::accessibility,
                                   SettingsPanels::Panel::keyboard};
        QCOMPARE(panels_.opened, expected);
    }
};

QTEST_GUILESS_MAIN(OnboardingModelTests)
#include "OnboardingModelTests.moc"
