// The dictation from the key to the text in the front application, and the records it keeps.
// The world each case runs in: FlowTestCase.h.

#include "FlowTestCase.h"
#include "Keysyms.h"
#include "Punctuation/Punctuator.h"
#include "StoreSaves.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <QTest>

#include <csignal>
#include <future>
class DictationFlowTests : public FlowTestCase {
    Q_OBJECT

private slots:
    void theFrontWindowNamesItsApplicationTitleAndProcess();
    void holdingTheKeyTypesTheWordsAtTheCursorAndKeepsTheRecords();
    void aTapCancelsAndADoubleTapListensHandsFreeUntilTheNextTap();
    void escapeCancels();
    void withoutAModelThePillSaysWhatIsWrong();
    void anApplicationThatNeverAnswersTheAccessibilityBusNeverHoldsUpTheKey();
    void aDictationTheHistoryCouldntKeepSaysSoInThePill();
    void backToBackDictationsAreBothPastedInOrderAndBothKept();
    void recordsWaitingForALockHoldUpNeitherThePillNorTheClipboard();
};

void DictationFlowTests::theFrontWindowNamesItsApplicationTitleAndProcess()
{
    startTarget(QStringLiteral("gedit"));
    const std::optional<DesktopWindow> front = harness_->desktop.windows.active();
    QVERIFY(front);
    QCOMPARE(front->desktopId, QStringLiteral("gedit"));
    QCOMPARE(front->title, QStringLiteral("Flow target"));
    const QList<DesktopWindow> all = harness_->desktop.windows.applicationWindows();
    QVERIFY(std::any_of(all.begin(), all.end(), [&](const DesktopWindow& window) {
        return window.id == front->id && window.pid == target_->pid();
    }));
}

void DictationFlowTests::holdingTheKeyTypesTheWordsAtTheCursorAndKeepsTheRecords()
{
    startTarget(QStringLiteral("gedit"));
    const qsizetype entriesBefore = history_->entries().size();

    keyboard_.press(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
    QVERIFY(!flow_->pill().isShown());
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return flow_->pill().isShown(); }));
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    // The pill shows while the focus stays where the user was typing.
    QCOMPARE(harness_->desktop.windows.active()->pid, target_->pid());
    QVERIFY(!QGuiApplication::focusWindow());
    QTest::qWait(500);  // enough speech for a recording to be kept
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);

    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    // The pill and the records follow once the application has read the text.
    QVERIFY(waitUntil([&] { return !inserted_.isEmpty(); }));
    QCOMPARE(idleKeyDowns_, 1);
    QCOMPARE(inserted_, QStringList{dictated});
    QCOMPARE(flow_->pill().mode(), QStringLiteral("inserted"));

    QCOMPARE(history_->entries().size(), entriesBefore + 1);
    const HistoryEntry entry = history_->entries().first();
    QCOMPARE(entry.text, dictated);
    QCOMPARE(entry.bundleID, std::optional(QStringLiteral("gedit")));
    QCOMPARE(entry.appName, std::optional(QStringLiteral("Text Editor")));
    QCOMPARE(entry.category, std::optional(QStringLiteral("documents")));
    // The recording follows once its entry is saved.
    QVERIFY(waitUntil([&] { return harness_->vault.has(entry.id); }));
    const auto today = harness_->stats.days().value(QDate::currentDate().toString(Qt::ISODate));
    QVERIFY(today.words >= 2);
    QVERIFY(today.dictations >= 1);
}

void DictationFlowTests::aTapCancelsAndADoubleTapListensHandsFreeUntilTheNextTap()
{
    startTarget(QStringLiteral("gedit"));
    keyboard_.tap(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return idleKeyDowns_ == 1 && controller_->phase() == DictationController::Phase::idle; }));
    QVERIFY(!flow_->pill().isShown());

    keyboard_.tap(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::handsFree; }));
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    QCOMPARE(flow_->pill().mode(), QStringLiteral("handsFree"));
    clock_.advance(std::chrono::seconds(2));
    keyboard_.tap(Keysyms::controlRight);

    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QCOMPARE(idleKeyDowns_, 2);
}

void DictationFlowTests::escapeCancels()
{
    startTarget(QStringLiteral("gedit"));
    const qsizetype entriesBefore = history_->entries().size();
    keyboard_.press(Keysyms::controlRight);
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    keyboard_.tap(Keysyms::escape);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
    keyboard_.release(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return !flow_->pill().isShown(); }));
    QTest::qWait(300);  // a paste, had there been one, would have reached the field by now
    QCOMPARE(target_->text, QStringLiteral("A  B"));
    QCOMPARE(history_->entries().size(), entriesBefore);
}

void DictationFlowTests::withoutAModelThePillSaysWhatIsWrong()
{
    const std::shared_ptr<Recognizer> recognizer = std::exchange(harness_->recognizer, nullptr);
    const QString problem = QStringLiteral("The speech model is damaged. Choose Try again to download it anew.");
    harness_->model.setSpeechProblem(problem);
    keyboard_.press(Keysyms::controlRight);
    const bool said = waitUntil([&] { return flow_->pill().message() == problem; });
    keyboard_.release(Keysyms::controlRight);
    harness_->model.setSpeechProblem(QString());
    harness_->recognizer = recognizer;
    QVERIFY(said);
}

void DictationFlowTests::anApplicationThatNeverAnswersTheAccessibilityBusNeverHoldsUpTheKey()
{
    startTarget(QStringLiteral("gedit"));
    ::kill(pid_t(target_->pid()), SIGSTOP);
    const MainThreadWatch watch;
    dictate();
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
    clock_.advance(FocusLookup::bound);
    QVERIFY(watch.longestStall() < hangingStall);
    // The paste waits in the stopped application's events until it goes on.
    ::kill(pid_t(target_->pid()), SIGCONT);
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
}

void DictationFlowTests::aDictationTheHistoryCouldntKeepSaysSoInThePill()
{
    startTarget(QStringLiteral("gedit"));
    const QList<HistoryEntry> before = history_->entries();
    // A folder where the history file goes: no one can replace it with a file.
    const QString path = history_->url();
    QFile::remove(path);
    QVERIFY(QDir().mkdir(path));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("failed"); }));
    QVERIFY2(flow_->pill().message().startsWith(QStringLiteral("Couldn\u2019t save the history: ")),
             qPrintable(flow_->pill().message()));
    QCOMPARE(history_->entries().size(), before.size() + 1);
    QCOMPARE(history_->unsavedChanges(), 1);
    QVERIFY(QDir().rmdir(path));
}

void DictationFlowTests::backToBackDictationsAreBothPastedInOrderAndBothKept()
{
    harness_->model.setPunctuation(true);
    harness_->punctuator = std::make_shared<Punctuator>(TestModels::punctuation(), 1, Punctuator::defaultLabelBias);
    const QString punctuated = harness_->punctuator->punctuate(dictated);
    QVERIFY(punctuated != dictated);
    struct Case {
        const char* name;
        bool slowPunctuation;  // the first is still being punctuated when the key goes down again
    };
    for (const Case c : {Case{"pressed again as the first is handed over", false},
                         Case{"pressed again while the first is punctuated", true}}) {
        startTarget(QStringLiteral("gedit"));
        const qsizetype entriesBefore = history_->entries().size();
        inserted_.clear();
        // The punctuation queue is held up until the second dictation is over.
        std::promise<void> punctuationGoesOn;
        if (c.slowPunctuation)
            harness_->punctuation.async([goesOn = punctuationGoesOn.get_future().share()] { goesOn.wait(); });
        else
            punctuationGoesOn.set_value();

        dictate();
        QVERIFY2(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }), c.name);
        dictate();
        QVERIFY2(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }), c.name);
        if (c.slowPunctuation)
            punctuationGoesOn.set_value();

        QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("A ") + punctuated + punctuated + " B"; }),
                 c.name);
        QVERIFY2(waitUntil([&] { return inserted_.size() == 2; }), c.name);
        QCOMPARE(inserted_, (QStringList{punctuated, punctuated}));
        QCOMPARE(history_->entries().size(), entriesBefore + 2);
        for (const HistoryEntry& entry : history_->entries().mid(0, 2)) {
            QCOMPARE(entry.text, punctuated);
            QCOMPARE(entry.bundleID, std::optional(QStringLiteral("gedit")));
        }
    }
}

void DictationFlowTests::recordsWaitingForALockHoldUpNeitherThePillNorTheClipboard()
{
    startTarget(QStringLiteral("gedit"));
    target_->send("clipboard");
    QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("clipboard")); }));
    const qsizetype entriesBefore = history_->entries().size();
    HeldLock historyLock(history_->url(), 600);
    HeldLock countsLock(harness_->stats.url(), 600);

    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("inserted"); }));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept text"));
    QVERIFY(historyLock.held() && countsLock.held());
    QCOMPARE(history_->entries().size(), entriesBefore + 1);
    QVERIFY(history_->unsavedChanges() > 0 && harness_->stats.unsavedChanges() > 0);
    const HistoryEntry entry = history_->entries().first();

    historyLock.release();
    countsLock.release();
    QVERIFY(waitUntil([&] { return history_->unsavedChanges() == 0 && harness_->stats.unsavedChanges() == 0; }));
    QCOMPARE(HistoryStore(history_->url()).entries().first(), entry);
    QVERIFY(waitUntil([&] { return harness_->vault.has(entry.id); }));
}

QTEST_MAIN(DictationFlowTests)
#include "DictationFlowTests.moc"
