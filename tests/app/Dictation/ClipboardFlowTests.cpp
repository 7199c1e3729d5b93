// What the user's clipboard held comes back after the paste, whatever its owner does, and only
// once the application has read the text.
// The world each case runs in: FlowTestCase.h.

#include "FlowTestCase.h"
#include "Keysyms.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <QTest>

#include <X11/Xlib.h>

#include <csignal>

namespace {

// An application that owns the clipboard and never answers: it never reads its events.
class SilentOwner {
public:
    SilentOwner() : display_(XOpenDisplay(nullptr))
    {
        const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, XInternAtom(display_, "CLIPBOARD", False), window, CurrentTime);
        XSync(display_, False);
    }
    ~SilentOwner() { XCloseDisplay(display_); }
    SilentOwner(const SilentOwner&) = delete;
    SilentOwner& operator=(const SilentOwner&) = delete;

private:
    Display* display_;
};

}

class ClipboardFlowTests : public FlowTestCase {
    Q_OBJECT

private slots:
    void theClipboardComesBackWithEveryFormatUnlessChangedMeanwhile();
    void theClipboardComesBackWithExactlyTheTargetsAndBytesItsOwnerOffered();
    void aClipboardOwnerThatNeverAnswersCostsItsContentsButNeverHoldsUpTheKey();
    void aCopyMadeWhileTheKeyIsHeldIsPastedOverAndComesBack();
    void anApplicationBusyAfterThePasteGetsTheTextLateOrThePillSaysWhereItIs();
};

void ClipboardFlowTests::theClipboardComesBackWithEveryFormatUnlessChangedMeanwhile()
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    startTarget(QStringLiteral("gedit"));
    target_->send("clipboard");
    QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("clipboard")); }));
    dictate();
    awaitThePaste(QStringLiteral("A HELLO WORLD B"));
    clock_.advance(Inserter::restoreDelay);
    const QMimeData* restored = clipboard.mimeData();
    QCOMPARE(restored->text(), QStringLiteral("kept text"));
    QCOMPARE(restored->html(), QStringLiteral("<b>kept</b> text"));
    QCOMPARE(restored->data(QStringLiteral("application/x-flow-test")), QByteArrayLiteral("\x01\x02kept"));

    dictate();
    awaitThePaste(QStringLiteral("A HELLO WORLDHELLO WORLD B"));
    clipboard.setText(QStringLiteral("copied meanwhile"));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboard.text(), QStringLiteral("copied meanwhile"));
}

void ClipboardFlowTests::theClipboardComesBackWithExactlyTheTargetsAndBytesItsOwnerOffered()
{
    const QByteArray persian = QStringLiteral("سلام دنیا").toUtf8();
    QByteArray image(600 * 1024, '\0');  // beyond one request: it goes both ways in INCR chunks
    for (qsizetype i = 0; i < image.size(); ++i)
        image[i] = char(i * 7 % 251);
    const quint32 numbers[] = {7, 0xfeedbeef};
    const ClipboardContents users = {
        {"UTF8_STRING", "UTF8_STRING", 8, persian},
        {"TEXT", "UTF8_STRING", 8, persian},
        {"STRING", "STRING", 8, "caf\xe9"},
        {"image/png", "image/png", 8, image},
        {"application/x-flow-test", "INTEGER", 32, QByteArray(reinterpret_cast<const char*>(numbers), sizeof numbers)}};
    startTarget(QStringLiteral("gedit"));
    QVERIFY(otherApplication_.own(users, {}));

    dictate();
    awaitThePaste(QStringLiteral("A HELLO WORLD B"));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(users));
}

void ClipboardFlowTests::aClipboardOwnerThatNeverAnswersCostsItsContentsButNeverHoldsUpTheKey()
{
    startTarget(QStringLiteral("gedit"));
    const SilentOwner owner;
    const MainThreadWatch watch;
    dictate();
    awaitThePaste(QStringLiteral("A HELLO WORLD B"));
    QVERIFY(watch.longestStall() < hangingStall);
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(ClipboardContents{}));
}

void ClipboardFlowTests::aCopyMadeWhileTheKeyIsHeldIsPastedOverAndComesBack()
{
    startTarget(QStringLiteral("gedit"));
    target_->send("clipboard");
    QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("clipboard")); }));
    keyboard_.press(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    // Another application takes the clipboard after the dictation saved what it held.
    const ClipboardContents copied = {{"UTF8_STRING", "UTF8_STRING", 8, "copied while dictating"}};
    QVERIFY(otherApplication_.own(copied, {}));
    QTest::qWait(500);
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);
    awaitThePaste(QStringLiteral("A HELLO WORLD B"));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(copied));
}

void ClipboardFlowTests::anApplicationBusyAfterThePasteGetsTheTextLateOrThePillSaysWhereItIs()
{
    struct Case {
        const char* name;
        std::optional<std::chrono::milliseconds> readsAfter;  // nothing: not within the bound
        bool historyReads;  // a clipboard history reads every change at once
        bool userCopies;  // the user copies something of their own meanwhile
    };
    const Case cases[] = {
        {"reads 2 s after the paste", std::chrono::seconds(2), false, false},
        {"reads 2 s after a clipboard history read at once", std::chrono::seconds(2), true, false},
        {"never reads", std::nullopt, false, false},
        {"never reads while the user copies", std::nullopt, false, true},
    };
    const ClipboardContents copied = {{"UTF8_STRING", "UTF8_STRING", 8, "copied while pasting"}};
    for (const Case& c : cases) {
        startTarget(QStringLiteral("gedit"));
        target_->send("clipboard");
        QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("clipboard")); }));
        const qsizetype entriesBefore = history_->entries().size();
        // Reading the clipboard once drains the news of earlier owners (the target's copy above,
        // the last case's restore): they come before the answer, so only the paste is counted.
        QCOMPARE(clipboardNow()->first().bytes, QByteArrayLiteral("kept text"));
        int taken = 0;  // how often another application took the clipboard: the paste takes it once
        otherApplication_.onChanged = [&] { ++taken; };
        // The application stops handling its events once it said where the text goes.
        dictate([&] { ::kill(pid_t(target_->pid()), SIGSTOP); });
        const bool pasted = waitUntil([&] { return taken == 1; });
        otherApplication_.onChanged = nullptr;
        QVERIFY2(pasted, c.name);
        // Read as another application would, it is the history's read.
        if (c.historyReads)
            QCOMPARE(clipboardNow(), std::optional(Inserter::contentsOf(dictated)));
        if (c.userCopies)
            QVERIFY(otherApplication_.own(copied, {}));

        if (c.readsAfter) {
            clock_.advance(*c.readsAfter);
            QTest::qWait(100);  // a pill that would say so early has said it by now
            QVERIFY2(flow_->pill().mode() != QStringLiteral("inserted"), c.name);
            ::kill(pid_t(target_->pid()), SIGCONT);
            QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }), c.name);
            QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("inserted"); }), c.name);
            QCOMPARE(clipboardNow()->first().bytes, QByteArrayLiteral("kept text"));
        } else {
            clock_.advance(Inserter::takenBound);
            QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("failed"); }), c.name);
            QCOMPARE(flow_->pill().message(), c.userCopies
                                                  ? QStringLiteral("Couldn’t paste. The text is in History.")
                                                  : QStringLiteral("Couldn’t paste. The text is on the clipboard."));
            clock_.advance(std::chrono::seconds(2));
            QCOMPARE(clipboardNow(), std::optional(c.userCopies ? copied : Inserter::contentsOf(dictated)));
            ::kill(pid_t(target_->pid()), SIGCONT);
        }
        QCOMPARE(history_->entries().size(), entriesBefore + 1);
        QCOMPARE(history_->entries().first().text, dictated);
    }
}

QTEST_MAIN(ClipboardFlowTests)
#include "ClipboardFlowTests.moc"
