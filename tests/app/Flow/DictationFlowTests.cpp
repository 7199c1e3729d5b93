// The dictation flow end to end on a real X server (with a window manager and the accessibility
// bus, see scripts/test-services): the key is driven through XTest like a keyboard, speech comes
// from the sound server's virtual microphone into the synthetic recogniser (speech reads "HELLO
// WORLD"), and the text lands in a separate test application. The flow's timing rules run on a
// manual clock, so the tests move time on where a rule waits.

#include "FlowHarness.h"
#include "Formatting/FormatClient.h"
#include "Keysyms.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "X11/XcbConnection.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <X11/Xlib.h>

#include <csignal>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

const QString dictated = QStringLiteral("HELLO WORLD");

// The longest the main thread went without handling its events while this lived.
class MainThreadWatch {
public:
    MainThreadWatch()
    {
        sinceTick_.start();
        QObject::connect(&tick_, &QTimer::timeout, [this] { longest_ = std::max(longest_, sinceTick_.restart()); });
        tick_.start(10);
    }
    std::chrono::milliseconds longestStall() const
    {
        return std::chrono::milliseconds(std::max(longest_, sinceTick_.elapsed()));
    }

private:
    QTimer tick_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
};
// Far beyond any stall of a healthy flow, far below the waits of one that waits on a hung application.
constexpr auto hangingStall = std::chrono::seconds(2);
// Below what a main thread that waited for a stopped application's focus, then for its field,
// would stall: two of the accessibility questions' bounds in a row.
constexpr auto askingStall = AtSpiFocusedText::waitBound * 3 / 2;

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

// The clipboard's owner as the X server has it now: another connection's change of owner can
// reach it after what this one asks later.
Window clipboardOwner()
{
    Display* display = XOpenDisplay(nullptr);
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False));
    XCloseDisplay(display);
    return owner;
}

// An application that asks for the clipboard's text and leaves the answer unread until told.
class SlowReader {
public:
    SlowReader()
        : display_(XOpenDisplay(nullptr)),
          window_(XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0)),
          property_(XInternAtom(display_, "SLOW_READER", False))
    {
        XConvertSelection(display_, XInternAtom(display_, "CLIPBOARD", False),
                          XInternAtom(display_, "UTF8_STRING", False), property_, window_, CurrentTime);
        XFlush(display_);
    }
    ~SlowReader() { XCloseDisplay(display_); }
    SlowReader(const SlowReader&) = delete;
    SlowReader& operator=(const SlowReader&) = delete;

    bool answered()
    {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            answered_ = answered_ || (event.type == SelectionNotify && event.xselection.property == property_);
        }
        return answered_;
    }
    // Deletes the answer, as a requestor does once it has the bytes.
    void read()
    {
        XDeleteProperty(display_, window_, property_);
        XFlush(display_);
    }

private:
    Display* display_;
    Window window_;
    Atom property_;
    bool answered_ = false;
};

}

class DictationFlowTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void theFrontWindowNamesItsApplicationTitleAndProcess();
    void holdingTheKeyTypesTheWordsAtTheCursorAndKeepsTheRecords();
    void aTapCancelsAndADoubleTapListensHandsFreeUntilTheNextTap();
    void escapeCancels();
    void withoutAModelThePillSaysWhatIsWrong();
    void theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack();
    void aKeystrokeRightAfterThePasteStopsTheReplacement();
    void anAsSpokenApplicationSendsNothing();
    void anExactSnippetIsInsertedAndNotSentForImprovement();
    void theClipboardComesBackWithEveryFormatUnlessChangedMeanwhile();
    void aDictationTheHistoryCouldntKeepSaysSoInThePill();
    void theClipboardComesBackWithExactlyTheTargetsAndBytesItsOwnerOffered();
    void anApplicationHasTheTextOnlyOnceItHasReadTheAnswer();
    void anApplicationAskingTargetAfterTargetGetsEveryAnswer();
    void aClipboardOwnerThatNeverAnswersCostsItsContentsButNeverHoldsUpTheKey();
    void aCopyMadeWhileTheKeyIsHeldIsPastedOverAndComesBack();
    void anApplicationThatNeverAnswersTheAccessibilityBusNeverHoldsUpTheKey();
    void anApplicationThatStopsBeforeTheImprovementNeverHoldsUpTheMainThread();
    void anImprovementPastedOverAnUndoneDictationIsUndoneTheSameWay();
    void aPasswordIsOnlyCopiedAndKeptNowhere();
    void aFieldWhoseApplicationAnswersAfterThePasteIsKeptOnlyWhenItIsNoPassword();
    void aGtkPasswordFieldAnsweringLateOrNeverKeepsAndSendsNothing();
    void anEditorAnsweringEachQuestionIn100MsHasItsDictationImproved();

private:
    void startTarget(const QString& desktopId, const QString& text = QStringLiteral("A  B"), int caret = 2,
                     Target::Field field = Target::Field::text,
                     std::optional<std::chrono::milliseconds> answersAfter = std::nullopt);
    // Holds the key until the words are heard, then lets go a second later (manual time).
    void dictate();
    // Waits for the pasted text, the formatting request it sent, and the reply's way to the main thread.
    void awaitTheImprovement(const QString& pasted);
    // What the clipboard holds, read as another application would.
    std::optional<ClipboardContents> clipboardNow();
    bool pillHears() const
    {
        return (flow_->pill().stableText() + QLatin1Char(' ') + flow_->pill().settlingText()).contains(dictated);
    }

    QTemporaryDir logFolder_;
    ManualClock clock_;
    std::unique_ptr<FlowHarness> harness_;
    DictationController* controller_ = nullptr;
    DictationFlow* flow_ = nullptr;
    HistoryStore* history_ = nullptr;
    std::unique_ptr<TestHttpServer> server_;
    QNetworkAccessManager network_;
    std::unique_ptr<FormatClient> formatter_;
    std::unique_ptr<Target> target_;
    Keyboard keyboard_;
    X11Clipboard otherApplication_{XcbConnection::open()};
    int idleKeyDowns_ = 0;
    QStringList inserted_;
};

void DictationFlowTests::initTestCase()
{
    if (!FlowHarness::desktopAvailable())
        QFAIL("needs the test desktop: run through scripts/test, which starts scripts/test-services");
    qputenv("QUILLMARSH_LOG", QFile::encodeName(logFolder_.filePath(QStringLiteral("Quillmarsh.log"))));
    harness_ = std::make_unique<FlowHarness>(TestModels::transducer(), clock_);
    QVERIFY(harness_->desktop.listening());
    controller_ = &harness_->controller;
    flow_ = &harness_->flow;
    history_ = &harness_->history;
    harness_->model.setKeepClips(true);
    writeFile(harness_->folder.filePath(QStringLiteral("applications/gedit.desktop")),
              "[Desktop Entry]\nType=Application\nExec=gedit\nName=Text Editor\n");
    server_ = std::make_unique<TestHttpServer>();
    server_->route("POST", "/v1/format", [](const HttpRequest&) {
        return HttpResponse::json(200, R"({"text":"Hello, world.","status":"ok"})");
    });
    formatter_ = std::make_unique<FormatClient>(FormatConfig(server_->url(QStringLiteral("/v1/format"))), network_);
    harness_->formatter = [this] { return formatter_.get(); };
    flow_->onIdleKeyDown = [this] {
        QCOMPARE(controller_->phase(), DictationController::Phase::idle);
        ++idleKeyDowns_;
    };
    flow_->onInserted = [this](const QString& text) { inserted_ << text; };
}

void DictationFlowTests::init()
{
    harness_->model.setImproveAfterInserting(false);
    server_->clearRequests();
    idleKeyDowns_ = 0;
    inserted_.clear();
}

void DictationFlowTests::cleanup()
{
    target_.reset();
    // The pill's outcome and any pending restore run out.
    clock_.advance(std::chrono::seconds(5));
}

void DictationFlowTests::startTarget(const QString& desktopId, const QString& text, int caret, Target::Field field,
                                     std::optional<std::chrono::milliseconds> answersAfter)
{
    target_.reset();
    target_ = std::make_unique<Target>(desktopId, text, caret, field, answersAfter);
    QVERIFY(harness_->waitForFront(*target_, text));
}

void DictationFlowTests::dictate()
{
    keyboard_.press(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    QTest::qWait(500);  // enough speech for a recording to be kept
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);
}

void DictationFlowTests::awaitTheImprovement(const QString& pasted)
{
    QVERIFY(waitUntil([&] { return target_->text == pasted; }));
    QVERIFY(waitUntil([&] { return !server_->requests().isEmpty(); }));
    QTest::qWait(300);  // the reply reaches the main thread
}

std::optional<ClipboardContents> DictationFlowTests::clipboardNow()
{
    std::optional<std::optional<ClipboardContents>> read;
    otherApplication_.save([&](std::optional<ClipboardContents> contents) { read = std::move(contents); });
    waitUntil([&] { return read.has_value(); });
    return read.value_or(std::nullopt);
}

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
    const HistoryEntry& entry = history_->entries().first();
    QCOMPARE(entry.text, dictated);
    QCOMPARE(entry.bundleID, std::optional(QStringLiteral("gedit")));
    QCOMPARE(entry.appName, std::optional(QStringLiteral("Text Editor")));
    QCOMPARE(entry.category, std::optional(QStringLiteral("documents")));
    QVERIFY(harness_->vault.has(entry.id));
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

void DictationFlowTests::theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack()
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
    QCOMPARE(HistoryStore(history_->url()).entries().first().style, std::nullopt);
}

void DictationFlowTests::aKeystrokeRightAfterThePasteStopsTheReplacement()
{
    harness_->model.setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    keyboard_.tap(Keysyms::shiftLeft);
    QVERIFY(waitUntil([&] { return !server_->requests().isEmpty(); }));
    QTest::qWait(300);
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));
    QCOMPARE(history_->entries().first().text, dictated);
}

void DictationFlowTests::anAsSpokenApplicationSendsNothing()
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

void DictationFlowTests::anExactSnippetIsInsertedAndNotSentForImprovement()
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

void DictationFlowTests::theClipboardComesBackWithEveryFormatUnlessChangedMeanwhile()
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    startTarget(QStringLiteral("gedit"));
    target_->send("clipboard");
    QVERIFY(waitUntil([&] { return target_->replies.contains(QStringLiteral("clipboard")); }));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    clock_.advance(Inserter::restoreDelay);
    const QMimeData* restored = clipboard.mimeData();
    QCOMPARE(restored->text(), QStringLiteral("kept text"));
    QCOMPARE(restored->html(), QStringLiteral("<b>kept</b> text"));
    QCOMPARE(restored->data(QStringLiteral("application/x-flow-test")), QByteArrayLiteral("\x01\x02kept"));

    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLDHELLO WORLD B"); }));
    clipboard.setText(QStringLiteral("copied meanwhile"));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboard.text(), QStringLiteral("copied meanwhile"));
}

void DictationFlowTests::theClipboardComesBackWithExactlyTheTargetsAndBytesItsOwnerOffered()
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
    QVERIFY(otherApplication_.own(users, nullptr));

    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(users));
}

void DictationFlowTests::anApplicationHasTheTextOnlyOnceItHasReadTheAnswer()
{
    const auto read = std::make_shared<QList<QByteArray>>();
    QVERIFY(otherApplication_.own({{"UTF8_STRING", "UTF8_STRING", 8, "words"}},
                                  [read](const QByteArray& target) { *read << target; }));
    SlowReader reader;
    QVERIFY(waitUntil([&] { return reader.answered(); }));
    QTest::qWait(100);  // anything the owner's thread posted reaches the main thread
    QVERIFY(read->isEmpty());
    reader.read();
    QVERIFY(waitUntil([&] { return !read->isEmpty(); }));
    QCOMPARE(*read, QList<QByteArray>{"UTF8_STRING"});
    QVERIFY(otherApplication_.replace({}));
}

void DictationFlowTests::anApplicationAskingTargetAfterTargetGetsEveryAnswer()
{
    // Each read's end and the next request reach the owner together, while it answers the read.
    ClipboardContents many;
    for (int i = 0; i < 50; ++i)
        many.append({"application/x-flow-" + QByteArray::number(i), "STRING", 8, QByteArray::number(i)});
    X11Clipboard owner(XcbConnection::open());
    const Window before = clipboardOwner();
    QVERIFY(owner.own(many, nullptr));
    QVERIFY(waitUntil([&] { return clipboardOwner() != before; }));
    for (int round = 0; round < 4; ++round)
        QCOMPARE(clipboardNow(), std::optional(many));
}

void DictationFlowTests::aClipboardOwnerThatNeverAnswersCostsItsContentsButNeverHoldsUpTheKey()
{
    startTarget(QStringLiteral("gedit"));
    const SilentOwner owner;
    const MainThreadWatch watch;
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(watch.longestStall() < hangingStall);
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(ClipboardContents{}));
}

void DictationFlowTests::aCopyMadeWhileTheKeyIsHeldIsPastedOverAndComesBack()
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
    QVERIFY(otherApplication_.own(copied, nullptr));
    QTest::qWait(500);
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    clock_.advance(Inserter::restoreDelay);
    QCOMPARE(clipboardNow(), std::optional(copied));
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

void DictationFlowTests::anApplicationThatStopsBeforeTheImprovementNeverHoldsUpTheMainThread()
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
    QVERIFY(waitUntil([&] { return log.mentions(QStringLiteral("not replaced, focus moved")); }));
    QVERIFY(watch.longestStall() < askingStall);
    ::kill(pid_t(target_->pid()), SIGCONT);
    QTest::qWait(300);  // a replacement still on its way would have reached the field
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));
    QVERIFY(!flow_->pill().canUndo());
    QCOMPARE(history_->entries().first().text, dictated);
}

void DictationFlowTests::anImprovementPastedOverAnUndoneDictationIsUndoneTheSameWay()
{
    harness_->model.setImproveAfterInserting(true);
    // The field can't be read: the improvement goes in by undoing the paste and pasting anew.
    startTarget(QStringLiteral("gedit"), QStringLiteral("A  B"), 2, Target::Field::unpublished);
    for (const bool typeFirst : {false, true}) {
        target_->send("clear");
        QVERIFY(waitUntil([&] { return target_->text.isEmpty(); }));
        server_->clearRequests();
        dictate();
        awaitTheImprovement(dictated);
        clock_.advance(Fixer::settleTime);
        QTest::qWait(100);  // the application undoes the paste
        clock_.advance(Fixer::undoPause);
        QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("Hello, world."); }));
        QVERIFY(flow_->pill().canUndo());

        if (typeFirst) {
            // Typing takes the application's undo elsewhere: Undo goes from the pill.
            keyboard_.tap(Keysyms::shiftLeft);
            QVERIFY(waitUntil([&] { return !flow_->pill().canUndo(); }));
            continue;
        }
        flow_->pill().undo();
        QTest::qWait(100);
        clock_.advance(Fixer::undoPause);
        QVERIFY(waitUntil([&] { return target_->text == dictated; }));
        QCOMPARE(history_->entries().first().text, dictated);
        QCOMPARE(flow_->pill().message(), QStringLiteral("Undone"));
        clock_.advance(std::chrono::seconds(5));
    }
}

void DictationFlowTests::aPasswordIsOnlyCopiedAndKeptNowhere()
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
    QCOMPARE(QGuiApplication::clipboard()->text(), dictated);
    QCOMPARE(harness_->stats.days().value(today).dictations, dictationsBefore + 1);
    QCOMPARE(history_->entries().size(), entriesBefore);
    QCOMPARE(recordings.entryList(QDir::Files).size(), recordingsBefore);
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QCOMPARE(target_->text, QString());
    QVERIFY(server_->requests().isEmpty());
}

void DictationFlowTests::aFieldWhoseApplicationAnswersAfterThePasteIsKeptOnlyWhenItIsNoPassword()
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
        harness_->focus.hold();
        dictate();
        QVERIFY2(waitUntil([&] { return harness_->focus.held(); }), c.name);
        QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
        // The paste doesn't wait for the answer beyond its own bound.
        clock_.advance(FocusLookup::bound);
        QVERIFY2(waitUntil([&] { return target_->text == dictated; }), c.name);
        QTest::qWait(300);  // the application reads the text; nothing waits on that but the pill
        QCOMPARE(flow_->pill().mode(), QStringLiteral("finishing"));
        if (!c.answersInTime)
            clock_.advance(FocusLookup::decisionBound);
        harness_->focus.release();
        QVERIFY2(waitUntil([&] { return flow_->pill().message() == c.pill; }), c.name);

        const bool kept = c.field == Target::Field::text && c.answersInTime;
        QCOMPARE(history_->entries().size(), entriesBefore + (kept ? 1 : 0));
        QCOMPARE(recordings.entryList(QDir::Files).size(), recordingsBefore + (kept ? 1 : 0));
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

void DictationFlowTests::aGtkPasswordFieldAnsweringLateOrNeverKeepsAndSendsNothing()
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

void DictationFlowTests::anEditorAnsweringEachQuestionIn100MsHasItsDictationImproved()
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
        QVERIFY(!log.mentions(QStringLiteral("not replaced")));
        clock_.advance(std::chrono::seconds(5));
    }
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
    QCOMPARE(history_->entries(), before);
    QVERIFY(QDir().rmdir(path));
}

QTEST_MAIN(DictationFlowTests)
#include "DictationFlowTests.moc"
