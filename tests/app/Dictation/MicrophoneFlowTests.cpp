// What the user is told when there is no microphone to record, or when it goes during a
// dictation, and that the next dictation works once an input is back. The world each case runs
// in: FlowTestCase.h.

#include "FlowTestCase.h"
#include "Keysyms.h"
#include "TestSoundServer.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDebug>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTest>

#include <optional>
#include <thread>

namespace {
const QString stopped = QStringLiteral("The microphone stopped.");
}

class MicrophoneFlowTests : public FlowTestCase {
    Q_OBJECT

private slots:
    void withoutAMicrophoneNothingIsRecordedAndThePillSaysWhy();
    void anInputThatGoesMidDictationIsSaidAndTheNextDictationWorks();
    void wordsHeardBeforeTheInputWentGoOutAndThePillSaysItStoppedAndWhereTheTextIs();

private:
    // The pill says this failure and still shows it after an ordinary outcome's time.
    bool pillSays(const QString& message)
    {
        if (!waitUntil(
                [&] { return flow_->pill().mode() == QStringLiteral("failed") && flow_->pill().message() == message; }))
            return false;
        clock_.advance(PillController::outcomeTime);
        return flow_->pill().isShown();
    }
};

void MicrophoneFlowTests::withoutAMicrophoneNothingIsRecordedAndThePillSaysWhy()
{
    struct Case {
        const char* name;
        const char* variable;
        QString value;
        QString told;
    };
    for (const Case& c :
         {Case{"the speakers' monitor chosen beside a microphone", "PULSE_SOURCE",
               QStringLiteral("quillmarsh_speaker.monitor"),
               QStringLiteral(
                   "The default input is the speakers\u2019 monitor. Choose a microphone in the sound settings.")},
          Case{"no sound server", "PULSE_SERVER", QStringLiteral("unix:/nonexistent/quillmarsh/native"),
               QStringLiteral("No sound server is running, so the microphone can\u2019t be used.")}}) {
        startTarget(QStringLiteral("gedit"));
        const qsizetype entriesBefore = history_->entries().size();
        const ScopedEnvironment input(c.variable, c.value);
        keyboard_.press(Keysyms::controlRight);
        const bool said = pillSays(c.told);
        keyboard_.release(Keysyms::controlRight);
        QVERIFY2(said, qPrintable(QStringLiteral("%1: %2").arg(c.name, flow_->pill().message())));
        QVERIFY2(controller_->phase() == DictationController::Phase::idle, c.name);
        QCOMPARE(target_->text, QStringLiteral("A  B"));
        QCOMPARE(history_->entries().size(), entriesBefore);
        clock_.advance(std::chrono::seconds(10));
    }
}

void MicrophoneFlowTests::anInputThatGoesMidDictationIsSaidAndTheNextDictationWorks()
{
    struct Case {
        const char* name;
        std::function<std::function<void()>()> takeInputAway;  // sets the input up; returns how it goes
    };
    std::optional<TestSoundServer::PluggedInput> headset;
    std::optional<ScopedEnvironment> pointedAt;
    TestSoundServer::PrivateServer server;
    const Case cases[] = {
        {"the input unplugged",
         [&]() -> std::function<void()> {
             headset.emplace(QStringLiteral("quillmarsh_headset"), QStringLiteral("Headset"));
             pointedAt.emplace("PULSE_SOURCE", QStringLiteral("quillmarsh_headset"));
             return [&] { headset.reset(); };
         }},
        {"the sound server ended",
         [&]() -> std::function<void()> {
             pointedAt.emplace("PULSE_SERVER", QString::fromUtf8(server.address()));
             if (!server.start() || !waitUntil([&] { return server.answers(); }))
                 qWarning() << "the private sound server didn't start";
             return [&] { server.stop(); };
         }},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"));
        const qsizetype entriesBefore = history_->entries().size();
        const std::function<void()> takeAway = c.takeInputAway();
        keyboard_.press(Keysyms::controlRight);
        QVERIFY2(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }), c.name);
        clock_.advance(PillController::showDelay);
        QVERIFY2(waitUntil([&] { return flow_->pill().isShown(); }), c.name);
        takeAway();
        const bool said = pillSays(stopped);
        keyboard_.release(Keysyms::controlRight);
        QVERIFY2(said, qPrintable(QStringLiteral("%1: %2").arg(c.name, flow_->pill().message())));
        QCOMPARE(controller_->phase(), DictationController::Phase::idle);
        QCOMPARE(history_->entries().size(), entriesBefore);  // silence: nothing heard, nothing kept
        clock_.advance(std::chrono::seconds(10));

        // The desktop's own input is back: the next dictation types as ever.
        pointedAt.reset();
        dictate();
        awaitThePaste(QStringLiteral("A HELLO WORLD B"));
    }
}

void MicrophoneFlowTests::wordsHeardBeforeTheInputWentGoOutAndThePillSaysItStoppedAndWhereTheTextIs()
{
    const DictationSession::SourceFactory microphone = controller_->makeSource;
    const std::vector<float> speech = PacedSource::utterance();
    harness_->speakInEveryDictation(speech);
    const auto microphoneBack = qScopeGuard([&] { controller_->makeSource = microphone; });
    struct Case {
        const char* name;
        Target::Field field;
        QString result;  // the field's
        QString told;
        bool kept;  // in History
    };
    const Case cases[] = {
        // The text stands in the field before the user's eyes.
        {"a text field", Target::Field::text, QStringLiteral("A HELLO WORLD B"), stopped, true},
        {"a password field", Target::Field::password, QStringLiteral("A  B"),
         stopped + QStringLiteral(" Copied. Paste it where you need it."), false},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, c.field);
        const qsizetype entriesBefore = history_->entries().size();
        keyboard_.press(Keysyms::controlRight);
        QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
        clock_.advance(PillController::showDelay);
        QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
        // Told from the source's own thread, as the sound server tells it.
        std::thread([source = harness_->source] { source->onFailure(stopped); }).join();

        const bool said = pillSays(c.told);
        keyboard_.release(Keysyms::controlRight);
        QVERIFY2(said, qPrintable(QStringLiteral("%1: %2").arg(c.name, flow_->pill().message())));
        QVERIFY2(waitUntil([&] { return target_->text == c.result; }), qPrintable(target_->text));
        QCOMPARE(history_->entries().size(), entriesBefore + (c.kept ? 1 : 0));
        if (c.kept) {
            const HistoryEntry entry = history_->entries().first();
            QCOMPARE(entry.text, dictated);
            QVERIFY(waitUntil([&] { return harness_->vault.has(entry.id); }));
        } else {
            QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == dictated; }));
        }
        clock_.advance(std::chrono::seconds(10));
    }
}

QTEST_MAIN(MicrophoneFlowTests)
#include "MicrophoneFlowTests.moc"
