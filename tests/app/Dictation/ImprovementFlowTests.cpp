// The improvement from the formatting server replacing the pasted text in place, and its Undo.
// The world each case runs in: FlowTestCase.h.

#include "FlowTestCase.h"
#include "Keysyms.h"
#include "LogLines.h"
#include "StoreSaves.h"
#include "TestSupport.h"

#include <QTest>

#include <csignal>

namespace {
// Below what a main thread that waited for a stopped application's focus, then for its field,
// would stall: two of the accessibility questions' bounds in a row.
constexpr auto askingStall = AtSpiFocusedText::waitBound * 3 / 2;
}

class ImprovementFlowTests : public FlowTestCase {
    Q_OBJECT

private slots:
    void theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack();
    void aKeystrokeRightAfterThePasteStopsTheReplacement();
    void anAsSpokenApplicationSendsNothing();
    void anExactSnippetIsInsertedAndNotSentForImprovement();
    void anApplicationThatStopsBeforeTheImprovementNeverHoldsUpTheMainThread();
    void anApplicationPublishingNoFieldKeepsItsDictationOnceAndUnimproved();
    void anEditorAnsweringEachQuestionIn100MsHasItsDictationImproved();
    void anEditorsImprovementGoesInAfterPersianTextAndARefusedOneLeavesTheDictation();
    void aReplacementOverTextNoLongerThereChangesNothing();
    void anElementUnknownAtThePasteIsImprovedOnlyWhereItShowsTheTextAndNeverByKeys();
    void anImprovementIsNeverGarbledByAFieldsWayOfCounting();
    void aFieldThatChangesAnImprovementHasOnlyTheInsertedStretchTouched();

private:
    // The formats the target's field still has ("bold", "italic"), asked for now.
    QString targetFormats();
};

QString ImprovementFlowTests::targetFormats()
{
    target_->replies.clear();
    target_->send("formats");
    waitUntil([&] { return !target_->replies.isEmpty(); });
    return target_->replies.value(0).section(u':', 1);
}

void ImprovementFlowTests::theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    awaitTheImprovement(QStringLiteral("A HELLO WORLD B"));
    clock_.advance(Fixer::settleTime - std::chrono::milliseconds(50));
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));

    clock_.advance(std::chrono::milliseconds(50));
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A Hello, world. B"); }));
    // The application's answer reaches the main thread after the field has changed.
    QVERIFY(waitUntil([&] { return history_->entries().first().text == QStringLiteral("Hello, world."); }));
    QCOMPARE(history_->entries().first().style, std::optional(QStringLiteral("clean")));
    QVERIFY(flow_->pill().canUndo());

    flow_->pill().undo();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(waitUntil([&] { return history_->entries().first().text == dictated; }));
    // The record says what the field holds: the style no longer claims a change taken back.
    QCOMPARE(history_->entries().first().style, std::nullopt);
    QVERIFY(allSaved(*history_));
    QCOMPARE(HistoryStore(history_->url()).entries().first().style, std::nullopt);
}

void ImprovementFlowTests::aKeystrokeRightAfterThePasteStopsTheReplacement()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    keyboard_.tap(Keysyms::shiftLeft);
    // Both the keystroke and the reply have reached the flow before the settle time passes.
    QVERIFY(waitUntil([&] { return harness_->desktop.watcher.userTyped(); }));
    awaitTheFormattingReply();
    const LogLines log;
    clock_.advance(std::chrono::seconds(2));
    QVERIFY(waitUntil([&] { return log.mentions(QStringLiteral("not replaced, the user typed or clicked")); }));
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));
    QCOMPARE(history_->entries().first().text, dictated);
}

void ImprovementFlowTests::anAsSpokenApplicationSendsNothing()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("code"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(waitUntil([&] { return !inserted_.isEmpty(); }));
    QCOMPARE(history_->entries().first().category, std::optional(QStringLiteral("code")));
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QVERIFY(server_->requests().isEmpty());
}

void ImprovementFlowTests::anExactSnippetIsInsertedAndNotSentForImprovement()
{
    harness_->model.setImproveAfterInserting(true);
    const Snippet snippet =
        harness_->snippets.add(QStringLiteral("hello world"), QStringLiteral("Kind regards, Sara"), true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A Kind regards, Sara B"); }));
    QVERIFY(waitUntil([&] { return !inserted_.isEmpty(); }));
    QCOMPARE(inserted_, QStringList{QStringLiteral("Kind regards, Sara")});
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QVERIFY(server_->requests().isEmpty());
    harness_->snippets.remove(snippet.id);
}

void ImprovementFlowTests::anApplicationThatStopsBeforeTheImprovementNeverHoldsUpTheMainThread()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    awaitTheImprovement(QStringLiteral("A HELLO WORLD B"));
    ::kill(pid_t(target_->pid()), SIGSTOP);
    const LogLines log;
    const MainThreadWatch watch;
    clock_.advance(Fixer::settleTime);
    // Neither its focus nor its field answers: the improvement is given up.
    QVERIFY(waitUntil([&] { return log.mentions(QStringLiteral("not replaced, the field refused to be read")); }));
    QVERIFY(watch.longestStall() < askingStall);
    ::kill(pid_t(target_->pid()), SIGCONT);
    QTest::qWait(300);  // a replacement still on its way would have reached the field
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));
    QVERIFY(!flow_->pill().canUndo());
    QCOMPARE(history_->entries().first().text, dictated);
}

void ImprovementFlowTests::anApplicationPublishingNoFieldKeepsItsDictationOnceAndUnimproved()
{
    harness_->model.setImproveAfterInserting(true);
    // Nothing tells whether a key would undo the paste: in a field without undo, the improvement
    // pasted after it would stand beside the dictation.
    startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, Target::Field::unpublished);
    const LogLines log;
    dictate();
    awaitTheImprovement(QStringLiteral("A HELLO WORLD B"));
    clock_.advance(Fixer::settleTime);
    QVERIFY(waitUntil([&] { return log.mentions(QStringLiteral("not replaced, no text element found")); }));
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));
    QCOMPARE(flow_->pill().mode(), QStringLiteral("inserted"));
    QCOMPARE(flow_->pill().message(), dictated);
    QVERIFY(!flow_->pill().canUndo());
    QCOMPARE(history_->entries().first().text, dictated);
}

void ImprovementFlowTests::anEditorAnsweringEachQuestionIn100MsHasItsDictationImproved()
{
    harness_->model.setImproveAfterInserting(true);
    // A GTK-like editor: it offers a direct connection, and answers every question 100 ms late.
    startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, Target::Field::text,
                std::chrono::milliseconds(100));
    for (int round = 0; round < 3; ++round) {
        target_->send("clear");
        QVERIFY(waitUntil([&] { return target_->text.isEmpty(); }));
        server_->clearRequests();
        const LogLines log;
        dictate();
        awaitTheImprovement(dictated);
        clock_.advance(Fixer::settleTime);
        QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("Hello, world."); }),
                 qPrintable(log.lines().join(u'\n')));
        // The application's answers reach the flow after the field has changed.
        QVERIFY(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("improved"); }));
        QVERIFY(!log.mentions(QStringLiteral("not replaced")));
        clock_.advance(std::chrono::seconds(5));
    }
}

void ImprovementFlowTests::anEditorsImprovementGoesInAfterPersianTextAndARefusedOneLeavesTheDictation()
{
    harness_->model.setImproveAfterInserting(true);
    // Before the caret, Persian words with a ZWNJ and an emoji: the GTK-like editor counts its
    // offsets in characters and InsertText's length in UTF-8 bytes, neither of them UTF-16 units.
    const QString before = QStringLiteral("می\u200cنویسم \U0001F600 ");
    const auto characters = [](const QString& text) { return text.toUcs4().size(); };
    struct Case {
        const char* name;
        qsizetype limit;  // the most characters the field holds; below 0, no limit
        QString result;
        QString logged;
    };
    const Case cases[] = {
        {"room for the improvement", -1, before + QStringLiteral("Hello, world."), QString()},
        {"room for the dictation only", characters(before + dictated), before + dictated,
         QStringLiteral("couldn't insert the improved text, the text is put back")},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), before, int(before.size()), Target::Field::text,
                    std::chrono::milliseconds(0));
        if (c.limit >= 0)
            target_->send("limit " + QByteArray::number(c.limit));
        server_->clearRequests();
        const LogLines log;
        dictate();
        awaitTheImprovement(before + dictated);
        clock_.advance(Fixer::settleTime);
        if (!c.logged.isEmpty())
            QVERIFY2(waitUntil([&] { return log.mentions(c.logged); }), qPrintable(log.lines().join(u'\n')));
        QVERIFY2(waitUntil([&] { return target_->text == c.result; }), qPrintable(target_->text));
        QTest::qWait(300);
        QCOMPARE(target_->text, c.result);
        clock_.advance(std::chrono::seconds(5));
    }
}

void ImprovementFlowTests::aReplacementOverTextNoLongerThereChangesNothing()
{
    startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, Target::Field::text, std::chrono::milliseconds(0));
    FocusedText& focus = harness_->desktop.focus;
    std::optional<FocusAnswer> found;
    focus.find(target_->pid(), [&](FocusAnswer answer) { found = answer; });
    QVERIFY(waitUntil([&] { return found.has_value(); }));
    QVERIFY(found->element);
    struct Case {
        const char* name;
        QString current;  // what the caller believes the range holds
        bool replaced;
        QString result;
    };
    const Case cases[] = {
        {"the range holds other text", QStringLiteral("B"), false, QStringLiteral("A  B")},
        {"the range holds the text", QStringLiteral("A"), true, QStringLiteral("Z  B")},
    };
    for (const Case& c : cases) {
        std::optional<bool> replaced;
        focus.replace(*found->element, {0, 1}, c.current, QStringLiteral("Z"), [&](bool done) { replaced = done; });
        QVERIFY2(waitUntil([&] { return replaced.has_value(); }), c.name);
        QCOMPARE(*replaced, c.replaced);
        QVERIFY2(waitUntil([&] { return target_->text == c.result; }), qPrintable(target_->text));
    }
}

void ImprovementFlowTests::anElementUnknownAtThePasteIsImprovedOnlyWhereItShowsTheTextAndNeverByKeys()
{
    harness_->model.setImproveAfterInserting(true);
    struct Case {
        const char* name;
        Target::Field field;
        QString result;
    };
    const Case cases[] = {
        {"a field found after the paste, showing the text", Target::Field::text, QStringLiteral("A Hello, world. B")},
        {"an application found after the paste to publish no field", Target::Field::unpublished,
         QStringLiteral("A HELLO WORLD B")},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, c.field);
        server_->clearRequests();
        const LogLines log;
        dictateWithTheFocusHeld();
        QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }), c.name);
        // Known now, within the decision's bound.
        harness_->focus.release();
        awaitTheFormattingReply();
        clock_.advance(Fixer::settleTime);
        if (c.field == Target::Field::unpublished) {
            QVERIFY(waitUntil([&] { return log.mentions(QStringLiteral("not replaced, no text element found")); }));
            QCOMPARE(flow_->pill().mode(), QStringLiteral("inserted"));
            QCOMPARE(history_->entries().first().text, dictated);
        }
        QVERIFY2(waitUntil([&] { return target_->text == c.result; }), qPrintable(target_->text));
        clock_.advance(std::chrono::seconds(5));
    }
}

void ImprovementFlowTests::anImprovementIsNeverGarbledByAFieldsWayOfCounting()
{
    harness_->model.setImproveAfterInserting(true);
    // Persian goes in shorter in Qt's counting than in GTK's: counted the wrong way, the field pads it.
    const QString persian = QStringLiteral("سلام دنیا");
    improveTo(persian);
    const QString emoji = QStringLiteral("\U0001F600 ");
    struct Case {
        const char* name;
        QByteArray toolkit;  // what the field names as its toolkit
        QString before;  // the field's text before the caret
        QString result;
        QString logged;
    };
    const Case cases[] = {
        // Only an emoji's length tells the countings apart: without one, the text isn't replaced.
        {"a text as long in both countings",
         {},
         QStringLiteral("A "),
         QStringLiteral("A ") + dictated,
         QStringLiteral("not replaced, the field's toolkit didn't say how it counts text")},
        {"a text with an emoji", {}, emoji, emoji + persian, QString()},
        // Counted as it says, the improvement arrives padded: read back, it is taken out again.
        {"a field naming another toolkit", "GTK", QStringLiteral("A "), QStringLiteral("A ") + dictated,
         QStringLiteral("the improved text didn't arrive as sent, the text is put back")},
    };
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"), c.before, int(c.before.size()), Target::Field::text,
                    std::chrono::milliseconds(0));
        target_->send(("qt-like " + c.toolkit).trimmed());
        QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("qt-like")); }));
        server_->clearRequests();
        const LogLines log;
        dictate();
        awaitTheImprovement(c.before + dictated);
        clock_.advance(Fixer::settleTime);
        if (!c.logged.isEmpty())
            QVERIFY2(waitUntil([&] { return log.mentions(c.logged); }), qPrintable(target_->text));
        QVERIFY2(waitUntil([&] { return target_->text == c.result; }), qPrintable(target_->text));
        QTest::qWait(300);
        QCOMPARE(target_->text, c.result);
        clock_.advance(std::chrono::seconds(5));
    }
}

void ImprovementFlowTests::aFieldThatChangesAnImprovementHasOnlyTheInsertedStretchTouched()
{
    harness_->model.setImproveAfterInserting(true);
    const QString globe = QStringLiteral(" \U0001F30D");
    struct Case {
        const char* name;
        QByteArray editor;  // how the field writes what is inserted
        QString improvement;
        QString result;
        QString logged;
    };
    const Case cases[] = {
        // As an editable web page writes spaces: the same text to the reader.
        {"spaces written unbreakable", "nbsp", QStringLiteral("Hello, world."),
         QStringLiteral("A Hello,\u00a0world. B"), QString()},
        {"an emoji dropped", "no-emoji", QStringLiteral("Hello, world.") + globe, QStringLiteral("A HELLO WORLD B"),
         QStringLiteral("the improved text didn't arrive as sent, the text is put back")},
    };
    for (const Case& c : cases) {
        improveTo(c.improvement);
        startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, Target::Field::text,
                    std::chrono::milliseconds(0));
        for (const QByteArray& command : {c.editor, QByteArray("format")}) {
            target_->send(command);
            QVERIFY(waitUntil([&] { return target_->replies.contains(QString::fromUtf8(command)); }));
        }
        QCOMPARE(targetFormats(), QStringLiteral("bold,italic"));
        server_->clearRequests();
        const LogLines log;
        dictate();
        awaitTheImprovement(QStringLiteral("A HELLO WORLD B"));
        clock_.advance(Fixer::settleTime);
        if (c.logged.isEmpty())
            QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("improved"); }),
                     qPrintable(c.name + QStringLiteral(": ") + log.lines().join(u'\n')));
        else
            QVERIFY2(waitUntil([&] { return log.mentions(c.logged); }), qPrintable(target_->text));
        QTest::qWait(300);  // the application's answers have come
        QCOMPARE(target_->text, c.result);
        // Only the stretch that went in changed: the formats around it stay.
        QCOMPARE(targetFormats(), QStringLiteral("bold,italic"));
        clock_.advance(std::chrono::seconds(5));
    }
}

QTEST_MAIN(ImprovementFlowTests)
#include "ImprovementFlowTests.moc"
