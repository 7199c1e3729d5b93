// The try-it step on the test desktop (see scripts/test-services): the dictation key is driven
// through XTest, speech comes from the sound server's virtual microphone into the synthetic
// recogniser (it reads "HELLO WORLD"), and the ordinary flow pastes it into the practice field.
#include "FlowHarness.h"
#include "Keysyms.h"
#include "ManualClock.h"
#include "OnboardingCoordinator.h"
#include "OnboardingFakes.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class OnboardingDictationTests : public QObject {
    Q_OBJECT

    ManualClock clock_;
    QQmlEngine engine_;
    FakeKeyboard keyboardOptions_;
    FakePermissions permissions_;
    FakePanels panels_;
    Keyboard keyboard_;

private slots:
    void initTestCase()
    {
        if (!FlowHarness::desktopAvailable())
            QFAIL("needs the test desktop: run through scripts/test, which starts scripts/test-services");
        engine_.addImportPath(QStringLiteral("qrc:/qt/qml"));
    }

    void aDictationOnTheTryItStepLandsInThePracticeField()
    {
        FlowHarness harness(TestModels::transducer(), clock_);
        QVERIFY(harness.desktop.listening());
        const auto makeWindow = [this](const QString& file, const QVariantMap& properties) {
            QQmlComponent component(&engine_, QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/") + file));
            return qobject_cast<QQuickWindow*>(component.createWithInitialProperties(properties));
        };
        OnboardingCoordinator onboarding(
            {makeWindow, harness.settings, keyboardOptions_, permissions_, panels_, clock_}, {});
        harness.flow.onIdleKeyDown = [&] { onboarding.dictationKeyDown(); };
        harness.flow.onInserted = [&](const QString& text) { onboarding.inserted(text); };

        ScopedEnvironment step("QUILLMARSH_ONBOARDING_STEP", "3");
        onboarding.show(HotkeyMonitor::Key::fn, {ModelInstaller::Idle{}, true, PunctuationInstaller::Installed{}});
        OnboardingModel& model = *onboarding.model();
        model.setPractice("earlier words");
        model.setDictated("earlier words");
        QQuickWindow* window = onboarding.controller()->window();
        QVERIFY(waitUntil([&] {
            return QGuiApplication::focusWindow() == window && window->activeFocusItem()
                   && window->activeFocusItem()->property("textDocument").isValid();
        }));

        keyboard_.press(Keysyms::controlRight);
        QVERIFY(waitUntil([&] { return model.practice().isEmpty() && model.dictated().isEmpty(); }));
        QVERIFY(waitUntil([&] { return harness.controller.phase() == DictationController::Phase::holding; }));
        clock_.advance(PillController::showDelay);
        const auto heard = [&] {
            return (harness.flow.pill().stableText() + ' ' + harness.flow.pill().settlingText())
                .contains("HELLO WORLD");
        };
        QVERIFY(waitUntil(heard, std::chrono::seconds(15)));
        clock_.advance(std::chrono::seconds(1));
        keyboard_.release(Keysyms::controlRight);

        QVERIFY(waitUntil([&] { return model.dictated() == "HELLO WORLD"; }));
        QVERIFY(waitUntil([&] { return model.practice() == "HELLO WORLD"; }));
        clock_.advance(std::chrono::seconds(5));  // the pill's outcome and the clipboard's restore run out
    }
};

QTEST_MAIN(OnboardingDictationTests)
#include "OnboardingDictationTests.moc"
