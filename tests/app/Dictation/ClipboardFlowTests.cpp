// What the user's clipboard held comes back after the paste, whatever its owner does, and only
// once the application has read the text.
// The world each case runs in: FlowTestCase.h.

#include "FlowTestCase.h"
#include "Keysyms.h"
#include "LogLines.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <QTest>

#include <X11/Xlib.h>
#include <poll.h>
#include <xcb/xfixes.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

namespace {

// An application that owns the clipboard and never answers: it never reads its events.
// A clipboard history that takes every new text over as its own copy, the password-manager hint
// or not, as some do: it reads the new owner's text and offers it itself, to any requestor,
// whatever time its request names. It runs on a thread and a connection of its own.
class TakingOverHistory {
public:
    TakingOverHistory()
        : connection_(xcb_connect(nullptr, nullptr)), window_(xcb_generate_id(connection_)),
          clipboard_(atom("CLIPBOARD")), utf8_(atom("UTF8_STRING")), targets_(atom("TARGETS")),
          property_(atom("TAKING_OVER_HISTORY"))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        std::free(xcb_xfixes_query_version_reply(connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
        xfixesNotify_ = xcb_get_extension_data(connection_, &xcb_xfixes_id)->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        xcb_xfixes_select_selection_input(connection_, window_, clipboard_,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        roundTrip();
        thread_ = std::thread([this] { run(); });
    }
    ~TakingOverHistory()
    {
        stopping_ = true;
        thread_.join();
        xcb_disconnect(connection_);
    }
    TakingOverHistory(const TakingOverHistory&) = delete;
    TakingOverHistory& operator=(const TakingOverHistory&) = delete;

    // How often it took the clipboard over, counted once the server has given it.
    std::atomic<int> takeovers{0};

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }
    void roundTrip() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    void run()
    {
        pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (!stopping_) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                handle(*event);
                std::free(event);
            }
            xcb_flush(connection_);
            poll(&socket, 1, 20);  // wakes to see whether it should stop
        }
    }

    void handle(const xcb_generic_event_t& event)
    {
        const uint8_t type = event.response_type & 0x7f;
        if (type == xfixesNotify_) {
            // A new owner: read its text.
            if (reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event).owner != window_)
                xcb_convert_selection(connection_, window_, clipboard_, utf8_, property_, XCB_CURRENT_TIME);
        } else if (type == XCB_SELECTION_NOTIFY) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                connection_,
                xcb_get_property(connection_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
            text_ = reply ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                                       xcb_get_property_value_length(reply))
                          : QByteArray();
            std::free(reply);
            if (text_.isEmpty())
                return;
            xcb_set_selection_owner(connection_, window_, clipboard_, XCB_CURRENT_TIME);
            roundTrip();
            ++takeovers;
        } else if (type == XCB_SELECTION_REQUEST) {
            serve(reinterpret_cast<const xcb_selection_request_event_t&>(event));
        }
    }

    void serve(const xcb_selection_request_event_t& request)
    {
        xcb_selection_notify_event_t reply{};
        reply.response_type = XCB_SELECTION_NOTIFY;
        reply.time = request.time;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.property = request.property;
        if (request.target == targets_)
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM,
                                32, 1, &utf8_);
        else if (request.target == utf8_)
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, request.property, utf8_, 8,
                                uint32_t(text_.size()), text_.constData());
        else
            reply.property = XCB_NONE;
        xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&reply));
    }

    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    const xcb_atom_t clipboard_;
    const xcb_atom_t utf8_;
    const xcb_atom_t targets_;
    const xcb_atom_t property_;
    uint8_t xfixesNotify_ = 0;
    QByteArray text_;  // the thread's own
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

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
    void aClipboardHistoryThatTakesEveryCopyOverGetsTheUsersCopyBackOnceTheApplicationPasted();
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

    // A copy made after the paste stays: another application's, or the front application's own of
    // the very text just dictated (Control+A, Control+C in the field), as a history's copy would hold.
    for (const bool byTheFrontApplication : {false, true}) {
        target_->send("clear");
        QVERIFY(waitUntil([&] { return target_->text.isEmpty(); }));
        dictate();
        awaitThePaste(dictated);
        const LogLines log;
        if (byTheFrontApplication) {
            target_->send("copy");
            QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("copy")); }));
            QVERIFY(waitUntil([&] {
                return log.mentions(QStringLiteral("took the text over"))
                       || log.mentions(QStringLiteral("application in front copied"));
            }));
        } else {
            clipboard.setText(QStringLiteral("copied meanwhile"));
        }
        clock_.advance(Inserter::restoreDelay);
        QCOMPARE(clipboardText(), byTheFrontApplication ? dictated.toUtf8() : QByteArrayLiteral("copied meanwhile"));
    }
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
    copyInAnotherApplication(users);

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
    const std::shared_ptr<bool> read = copyInAnotherApplication(copied);
    // The dictation saves it afresh before the paste.
    QVERIFY(waitUntil([&] { return *read; }));
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
        QCOMPARE(clipboardText(), QByteArrayLiteral("kept text"));
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
            copyInAnotherApplication(copied);

        if (c.readsAfter) {
            clock_.advance(*c.readsAfter);
            awaitTheFlowsClipboard();  // a pill that would say so early has said it by now
            QVERIFY2(flow_->pill().mode() != QStringLiteral("inserted"), c.name);
            ::kill(pid_t(target_->pid()), SIGCONT);
            QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }), c.name);
            QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("inserted"); }), c.name);
            QCOMPARE(clipboardText(), QByteArrayLiteral("kept text"));
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

void ClipboardFlowTests::aClipboardHistoryThatTakesEveryCopyOverGetsTheUsersCopyBackOnceTheApplicationPasted()
{
    // The application reads at once (from us or from the history, whichever is first), or is busy
    // a while after the key-up and reads only once the history holds the text, where its read
    // can't be seen.
    struct Case {
        const char* name;
        std::optional<std::chrono::milliseconds> busyFor;  // nothing: not busy at all
    };
    const Case cases[] = {
        {"reads at once", std::nullopt},
        {"busy 2 s", std::chrono::seconds(2)},
        {"busy 3.5 s", std::chrono::milliseconds(3500)},
        {"busy 5 s", std::chrono::seconds(5)},
    };
    for (const Case& c : cases) {
        TakingOverHistory history;
        startTarget(QStringLiteral("gedit"));
        target_->send("clipboard");
        QVERIFY2(waitUntil([&] { return history.takeovers == 1; }), c.name);
        const LogLines log;
        dictate([&] {
            if (c.busyFor)
                ::kill(pid_t(target_->pid()), SIGSTOP);
        });
        QVERIFY2(waitUntil([&] { return history.takeovers == 2; }), c.name);
        QVERIFY2(waitUntil([&] { return log.mentions(QStringLiteral("took the text over")); }), c.name);
        // Past the bound the application still busy may yet paste: the text stays for it.
        const bool pastTheBound = c.busyFor && *c.busyFor > Inserter::takenBound;
        if (pastTheBound) {
            clock_.advance(Inserter::takenBound);
            QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("failed"); }), c.name);
            QCOMPARE(flow_->pill().message(), QStringLiteral("Couldn’t paste. The text is on the clipboard."));
            clock_.advance(*c.busyFor - Inserter::takenBound);
        } else if (c.busyFor) {
            clock_.advance(*c.busyFor);
        }
        if (c.busyFor)
            ::kill(pid_t(target_->pid()), SIGCONT);
        QVERIFY2(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }),
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(c.name), target_->text)));
        if (pastTheBound) {
            QCOMPARE(clipboardText(), dictated.toUtf8());
            continue;
        }
        QVERIFY2(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("inserted"); }), c.name);
        // The user's copy is back, and taken over in turn.
        clock_.advance(Inserter::restoreDelay);
        QVERIFY2(waitUntil([&] { return history.takeovers == 3; }), c.name);
        QCOMPARE(clipboardText(), QByteArrayLiteral("kept text"));
    }
}

QTEST_MAIN(ClipboardFlowTests)
#include "ClipboardFlowTests.moc"
