// A dictation into a password field, or a field that may be one, is kept and sent nowhere.
// The world each case runs in: FlowTestCase.h.

#include "AtSpi/AtSpiFocusedText.h"
#include "FlowTestCase.h"
#include "Keysyms.h"
#include "LogLines.h"
#include "StoreSaves.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

#include <QTest>

class PasswordFlowTests : public FlowTestCase {
    Q_OBJECT

private slots:
    void aPasswordIsOnlyCopiedAndKeptNowhere();
    void aFieldWhoseApplicationAnswersAfterThePasteIsKeptOnlyWhenItIsNoPassword();
    void aGtkPasswordFieldAnsweringLateOrNeverKeepsAndSendsNothing();
    void aBusyCrowdedOrTabbedApplicationIsSearchedToItsFieldAndKeptOnlyWhenKnownToBeNoPassword();
    void twoDictationsIntoAnApplicationBusyThroughBothAreBothKept();
    void aPasswordStaysCopiedWhenTheKeyGoesDownAgainBeforeItsFieldIsKnown();
};

void PasswordFlowTests::aPasswordIsOnlyCopiedAndKeptNowhere()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"), QString(), 0, Target::Field::password);
    const qsizetype entriesBefore = history_->entries().size();
    const QDir recordings(harness_->vault.folder());
    const qsizetype recordingsBefore = recordings.entryList(QDir::Files).size();
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const qint64 dictationsBefore = harness_->stats.days().value(today).dictations;

    dictate();
    QVERIFY(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("copied"); }));
    // A read stamped before our copy is refused: it succeeds once this process has heard of the copy.
    QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == dictated; }));
    QCOMPARE(harness_->stats.days().value(today).dictations, dictationsBefore + 1);
    QCOMPARE(history_->entries().size(), entriesBefore);
    QCOMPARE(recordings.entryList(QDir::Files).size(), recordingsBefore);
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QCOMPARE(target_->text, QString());
    QVERIFY(server_->requests().isEmpty());
}

void PasswordFlowTests::aFieldWhoseApplicationAnswersAfterThePasteIsKeptOnlyWhenItIsNoPassword()
{
    harness_->model.setImproveAfterInserting(true);
    const QDir recordings(harness_->vault.folder());
    struct Case {
        const char* name;
        Target::Field field;
        bool answersInTime;  // within the decision's bound after the paste
        QString pill;
    };
    const Case cases[] = {
        {"a password field answering after the paste", Target::Field::password, true,
         QStringLiteral("Pasted into a password field. Nothing was kept.")},
        {"a password field answering after the bound", Target::Field::password, false,
         QStringLiteral("Pasted. Nothing was kept: this may be a password field.")},
        {"a text field answering after the bound", Target::Field::text, false,
         QStringLiteral("Pasted. Nothing was kept: this may be a password field.")},
        {"a text field answering after the paste", Target::Field::text, true, dictated},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), QString(), 0, c.field);
        const qsizetype entriesBefore = history_->entries().size();
        const qsizetype recordingsBefore = recordings.entryList(QDir::Files).size();
        server_->clearRequests();
        const LogLines log;
        // The paste doesn't wait for the answer beyond its own bound.
        dictateWithTheFocusHeld();
        QVERIFY2(waitUntil([&] { return target_->text == dictated; }), c.name);
        QTest::qWait(300);  // the application reads the text; nothing waits on that but the pill
        QCOMPARE(flow_->pill().mode(), QStringLiteral("finishing"));
        if (!c.answersInTime)
            clock_.advance(FocusLookup::decisionBound);
        harness_->focus.release();
        QVERIFY2(waitUntil([&] { return flow_->pill().message() == c.pill; }), c.name);

        const bool kept = c.field == Target::Field::text && c.answersInTime;
        QCOMPARE(history_->entries().size(), entriesBefore + (kept ? 1 : 0));
        QVERIFY2(allSaved(*history_), c.name);
        // The recording is written on its own queue after the entry's save.
        QVERIFY2(
            waitUntil([&] { return recordings.entryList(QDir::Files).size() == recordingsBefore + (kept ? 1 : 0); }),
            c.name);
        QVERIFY2(waitUntil([&] { return server_->requests().size() == (kept ? 1 : 0); }), c.name);
        clock_.advance(std::chrono::seconds(2));
        QTest::qWait(300);
        QCOMPARE(server_->requests().size(), kept ? 1 : 0);
        QVERIFY2(log.mentions(kept ? QStringLiteral("dictation may be kept and sent")
                                   : QStringLiteral("dictation neither kept nor sent")),
                 c.name);
        QVERIFY2(!log.lines().join(u'\n').contains(dictated, Qt::CaseInsensitive), c.name);
        clock_.advance(std::chrono::seconds(5));
    }
}

void PasswordFlowTests::aGtkPasswordFieldAnsweringLateOrNeverKeepsAndSendsNothing()
{
    harness_->model.setImproveAfterInserting(true);
    const QDir recordings(harness_->vault.folder());
    using std::chrono::milliseconds;
    // Known by the paste, the text is only copied; known later, or never, it is pasted; either way
    // it is kept and sent nowhere.
    for (const milliseconds answersAfter : {milliseconds(100), milliseconds(1500), milliseconds(-1)}) {
        const QByteArray timing = QByteArray::number(answersAfter.count());
        startTarget(QStringLiteral("gedit"), QString(), 0, Target::Field::password, answersAfter);
        const qsizetype entriesBefore = history_->entries().size();
        const qsizetype recordingsBefore = recordings.entryList(QDir::Files).size();
        server_->clearRequests();
        const LogLines log;
        dictate();
        QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
        clock_.advance(FocusLookup::bound);
        QTest::qWait(300);
        clock_.advance(FocusLookup::decisionBound);
        QVERIFY2(waitUntil([&] { return log.mentions(QStringLiteral("dictation neither kept nor sent")); }), timing);
        QVERIFY2(waitUntil([&] { return !inserted_.isEmpty(); }), timing);
        inserted_.clear();
        if (answersAfter < milliseconds(0))
            QCOMPARE(target_->text, dictated);
        clock_.advance(std::chrono::seconds(2));
        QTest::qWait(300);
        QCOMPARE(history_->entries().size(), entriesBefore);
        QCOMPARE(recordings.entryList(QDir::Files).size(), recordingsBefore);
        QVERIFY2(server_->requests().isEmpty(), timing);
        clock_.advance(std::chrono::seconds(5));
    }
}

void PasswordFlowTests::aBusyCrowdedOrTabbedApplicationIsSearchedToItsFieldAndKeptOnlyWhenKnownToBeNoPassword()
{
    harness_->model.setImproveAfterInserting(true);
    const QDir recordings(harness_->vault.folder());
    using std::chrono::milliseconds;
    const QString open = QStringLiteral("the focused element isn't a password field");
    const QString password = QStringLiteral("the focused element is a password field");
    const QString unknown = QStringLiteral("dictation neither kept nor sent");
    const QString beyondReach = QStringLiteral("the focused element isn't known: the application shows more than");
    const QString tabAlone = QStringLiteral("the focused element isn't known: a tab has the focus");
    struct Case {
        const char* name;
        Target::Field field;
        milliseconds busy;  // from before the key: longer than any one question is waited for
        int crowd;  // accessibles the field sits among, last
        milliseconds answersAfter;
        QString decision;
        QByteArray shape = {};  // of the published tree, as the test application's "shape" takes it
    };
    const Case cases[] = {
        {"a text field busy 1.5 s", Target::Field::text, milliseconds(1500), 0, milliseconds(0), open},
        {"a text field busy 2.5 s", Target::Field::text, milliseconds(2500), 0, milliseconds(0), open},
        {"a password field busy 1.5 s", Target::Field::password, milliseconds(1500), 0, milliseconds(0), password},
        {"a password field busy 2.5 s", Target::Field::password, milliseconds(2500), 0, milliseconds(0), password},
        {"among 5000 accessibles each answering 3 ms late", Target::Field::text, milliseconds(0), 5000, milliseconds(3),
         open},
        {"among more accessibles than a search looks through", Target::Field::text, milliseconds(0),
         AtSpiFocusedText::searchBudget + 1000, milliseconds(0), beyondReach},
        // A focused tab is found before the field that has the keyboard, or above it.
        {"a password field beside a focused tab", Target::Field::password, {}, 0, {}, password, "beside"},
        {"a text field beside a focused tab", Target::Field::text, {}, 0, {}, open, "beside"},
        {"a password field under a focused tab", Target::Field::password, {}, 0, {}, password, "above"},
        {"a focused tab and no text element", Target::Field::text, {}, 0, {}, tabAlone, "alone"},
        // The keyboard in a widget that publishes no text, beside a focused tab: kept, as the
        // widget says where the keyboard is.
        {"a focused widget without text beside a focused tab", Target::Field::text, {}, 0, {}, open, "widget"},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), QString(), 0, c.field, c.answersAfter, c.crowd);
        const qsizetype entriesBefore = history_->entries().size();
        const qsizetype recordingsBefore = recordings.entryList(QDir::Files).size();
        const qsizetype insertedBefore = inserted_.size();
        server_->clearRequests();
        const LogLines log;
        if (!c.shape.isEmpty()) {
            target_->send("shape " + c.shape);
            QVERIFY2(waitUntil([&] { return target_->replies.contains(QStringLiteral("shape")); }), c.name);
        }
        if (c.busy > milliseconds(0)) {
            target_->send("busy " + QByteArray::number(c.busy.count()));
            QVERIFY2(waitUntil([&] { return target_->replies.contains(QStringLiteral("busy")); }), c.name);
            target_->replies.clear();
        }
        dictate();
        QVERIFY2(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }), c.name);
        clock_.advance(FocusLookup::bound);
        // The decision's bound is never reached: its clock stands still while the application answers.
        QVERIFY2(
            waitUntil(
                [&] { return log.mentions(QStringLiteral("dictation may be kept and sent")) || log.mentions(unknown); },
                std::chrono::seconds(30)),
            c.name);
        const bool kept = c.decision == open;
        QVERIFY2(log.mentions(c.decision) && (kept || c.decision == password || log.mentions(unknown)),
                 qPrintable(log.lines().join(u'\n')));
        // The records follow once the application has read the text, the recording once its entry is saved.
        QVERIFY2(waitUntil([&] { return inserted_.size() == insertedBefore + 1; }), c.name);
        QCOMPARE(history_->entries().size(), entriesBefore + (kept ? 1 : 0));
        QVERIFY2(
            waitUntil([&] { return recordings.entryList(QDir::Files).size() == recordingsBefore + (kept ? 1 : 0); }),
            c.name);
        QVERIFY2(waitUntil([&] { return server_->requests().size() == (kept ? 1 : 0); }), c.name);
        if (kept) {
            // Improved in the field found, or said to have no text element.
            awaitTheFormattingReply();
            clock_.advance(Fixer::settleTime);
            const QString notReplaced = QStringLiteral("not replaced, no text element found");
            QVERIFY2(waitUntil([&] {
                         return c.shape == "widget" ? log.mentions(notReplaced)
                                                    : target_->text == QStringLiteral("Hello, world.");
                     }),
                     qPrintable(log.lines().join(u'\n')));
        }
        clock_.advance(std::chrono::seconds(5));
    }
}

void PasswordFlowTests::twoDictationsIntoAnApplicationBusyThroughBothAreBothKept()
{
    startTarget(QStringLiteral("gedit"), QString(), 0, Target::Field::text, std::chrono::milliseconds(0));
    const qsizetype entriesBefore = history_->entries().size();
    const LogLines log;
    target_->send("hold");
    // The second search, for the same application, starts while the first still waits for it.
    for (int dictation = 0; dictation < 2; ++dictation) {
        dictate();
        QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
        clock_.advance(FocusLookup::bound);
    }
    QVERIFY(!log.mentions(QStringLiteral("dictation may be kept and sent")));
    target_->send("release");
    QVERIFY2(
        waitUntil([&] { return log.lines().filter(QStringLiteral("dictation may be kept and sent")).size() == 2; }),
        qPrintable(log.lines().join(u'\n')));
    QVERIFY(waitUntil([&] { return history_->entries().size() == entriesBefore + 2; }));
    clock_.advance(std::chrono::seconds(5));
}

void PasswordFlowTests::aPasswordStaysCopiedWhenTheKeyGoesDownAgainBeforeItsFieldIsKnown()
{
    startTarget(QStringLiteral("gedit"), QString(), 0, Target::Field::password);
    const qsizetype entriesBefore = history_->entries().size();
    harness_->focus.hold();
    dictate();
    QVERIFY(waitUntil([&] { return harness_->focus.held(); }));
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));

    // The next dictation's search starts before the first one's answer comes.
    keyboard_.press(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
    harness_->focus.release();
    QVERIFY(waitUntil([&] { return inserted_.size() == 1; }));
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return inserted_.size() == 2; }));

    QCOMPARE(flow_->pill().mode(), QStringLiteral("copied"));
    // A read stamped before our copy is refused: it succeeds once this process has heard of the copy.
    QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == dictated; }));
    QTest::qWait(300);  // a paste, had there been one, would have reached the field by now
    QCOMPARE(target_->text, QString());
    QCOMPARE(history_->entries().size(), entriesBefore);
}

QTEST_MAIN(PasswordFlowTests)
#include "PasswordFlowTests.moc"
