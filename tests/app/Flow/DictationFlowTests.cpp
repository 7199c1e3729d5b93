// The dictation flow end to end on a real X server (with a window manager and the accessibility
// bus, see scripts/test-services): the key is driven through XTest like a keyboard, speech comes
// from the sound server's virtual microphone into the synthetic recogniser (speech reads "HELLO
// WORLD"), and the text lands in a separate test application. The flow's timing rules run on a
// manual clock, so the tests move time on where a rule waits.

#include "AtSpi/AtSpiFocusedText.h"
#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "DictationController.h"
#include "DictationFlow.h"
#include "Formatting/FormatClient.h"
#include "HotkeyMonitor.h"
#include "InputWatcher.h"
#include "Keysyms.h"
#include "Main/AppModel.h"
#include "ManualClock.h"
#include "Recognizer.h"
#include "SyntheticKeys.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "X11/X11DesktopWindows.h"
#include "X11/X11RawInput.h"
#include "X11/XTestKeyPoster.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QtQml/qqmlextensionplugin.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// The user's keyboard: XTest events that the flow has not posted itself.
class Keyboard {
public:
    Keyboard() : display_(XOpenDisplay(nullptr)) {}
    ~Keyboard() { XCloseDisplay(display_); }
    void press(quint32 keysym) { send(keysym, true); }
    void release(quint32 keysym) { send(keysym, false); }
    void tap(quint32 keysym)
    {
        press(keysym);
        release(keysym);
    }

private:
    void send(quint32 keysym, bool down)
    {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
        XSync(display_, False);
    }
    Display* display_;
};

// The test application in its own process, and the last text its field reported.
class Target {
public:
    void start(const QString& desktopId, const QString& startText, int caret)
    {
        process_.setProgram(QStringLiteral(FLOW_TARGET));
        process_.setArguments({desktopId, startText, QString::number(caret)});
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            while (process_.canReadLine()) {
                const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
                if (line.startsWith(QStringLiteral("text:")))
                    text = line.mid(5);
                else
                    replies << line;
            }
        });
        process_.start();
    }
    ~Target()
    {
        process_.kill();
        process_.waitForFinished();
    }
    qint64 pid() const { return process_.processId(); }
    void send(const QByteArray& line) { process_.write(line + '\n'); }

    QString text;
    QStringList replies;

private:
    QProcess process_;
};

const QString dictated = QStringLiteral("HELLO WORLD");

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
    void theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack();
    void aKeystrokeRightAfterThePasteStopsTheReplacement();
    void anAsSpokenApplicationSendsNothing();
    void theClipboardComesBackWithEveryFormatUnlessChangedMeanwhile();

private:
    void startTarget(const QString& desktopId, const QString& text = QStringLiteral("A  B"), int caret = 2);
    // Holds the key until the words are heard, then lets go a second later (manual time).
    void dictate();
    bool pillHears() const
    {
        return (flow_->pill().stableText() + QLatin1Char(' ') + flow_->pill().settlingText()).contains(dictated);
    }

    QTemporaryDir folder_;
    ManualClock clock_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<HistoryStore> history_;
    std::unique_ptr<UsageStats> stats_;
    std::unique_ptr<ClipVault> vault_;
    std::unique_ptr<VocabularyStore> vocabulary_;
    std::unique_ptr<SnippetStore> snippets_;
    std::unique_ptr<MainActions> actions_;
    std::unique_ptr<AppModel> model_;
    std::shared_ptr<Recognizer> recognizer_;
    std::unique_ptr<DictationController> controller_;
    SyntheticKeys synthetic_;
    std::unique_ptr<X11RawInput> input_;
    std::unique_ptr<HotkeyMonitor> keys_;
    std::unique_ptr<InputWatcher> watcher_;
    std::unique_ptr<X11DesktopWindows> windows_;
    std::unique_ptr<AtSpiFocusedText> focus_;
    std::unique_ptr<XTestKeyPoster> poster_;
    std::unique_ptr<TestHttpServer> server_;
    QNetworkAccessManager network_;
    std::unique_ptr<FormatClient> formatter_;
    std::unique_ptr<DictationFlow> flow_;
    std::unique_ptr<Target> target_;
    Keyboard keyboard_;
    int idleKeyDowns_ = 0;
    QStringList inserted_;
};

void DictationFlowTests::initTestCase()
{
    if (qgetenv("DISPLAY").isEmpty() || qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty())
        QFAIL("needs the test desktop: run through scripts/test, which starts scripts/test-services");
    const QString dir = folder_.path();
    settings_ = std::make_unique<Settings>(dir + QStringLiteral("/settings.conf"));
    history_ = std::make_unique<HistoryStore>(dir + QStringLiteral("/history.json"));
    stats_ = std::make_unique<UsageStats>(dir + QStringLiteral("/stats.json"), QTimeZone::systemTimeZone());
    vault_ = std::make_unique<ClipVault>(dir + QStringLiteral("/clips"));
    vocabulary_ = std::make_unique<VocabularyStore>(dir + QStringLiteral("/vocabulary.json"));
    snippets_ = std::make_unique<SnippetStore>(dir + QStringLiteral("/snippets.json"));
    actions_ = std::make_unique<MainActions>();
    model_ = std::make_unique<AppModel>(AppModel::Stores{*history_, *stats_, *vault_, *vocabulary_, *snippets_},
                                        *actions_, *settings_);
    model_->setKeepClips(true);

    recognizer_ = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducer()));
    controller_ = std::make_unique<DictationController>([this] { return recognizer_; }, clock_);
    input_ = std::make_unique<X11RawInput>(synthetic_);
    QVERIFY(input_->connected());
    keys_ = std::make_unique<HotkeyMonitor>(*input_, HotkeyMonitor::Key::fn);
    watcher_ = std::make_unique<InputWatcher>(*input_);
    windows_ = std::make_unique<X11DesktopWindows>();
    focus_ = std::make_unique<AtSpiFocusedText>();
    poster_ = std::make_unique<XTestKeyPoster>(synthetic_);
    server_ = std::make_unique<TestHttpServer>();
    server_->route("POST", "/v1/format", [](const HttpRequest&) {
        return HttpResponse::json(200, R"({"text":"Hello, world.","status":"ok"})");
    });
    formatter_ = std::make_unique<FormatClient>(FormatConfig(server_->url(QStringLiteral("/v1/format"))), network_);
    flow_ = std::make_unique<DictationFlow>(
        *controller_, *model_,
        DictationFlow::Desktop{*keys_, *windows_, *focus_, *watcher_, *poster_, *QGuiApplication::clipboard()},
        DictationFlow::Services{{}, [this] { return formatter_.get(); }}, clock_);
    flow_->onIdleKeyDown = [this] {
        QCOMPARE(controller_->phase(), DictationController::Phase::idle);
        ++idleKeyDowns_;
    };
    flow_->onInserted = [this](const QString& text) { inserted_ << text; };
}

void DictationFlowTests::init()
{
    model_->setImproveAfterInserting(false);
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

void DictationFlowTests::startTarget(const QString& desktopId, const QString& text, int caret)
{
    target_ = std::make_unique<Target>();
    target_->start(desktopId, text, caret);
    QVERIFY(waitUntil([&] {
        const auto front = windows_->active();
        return front && front->pid == target_->pid() && focus_->focused(front->pid).has_value()
               && target_->text == text;
    }));
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

void DictationFlowTests::theFrontWindowNamesItsApplicationTitleAndProcess()
{
    startTarget(QStringLiteral("gedit"));
    const std::optional<DesktopWindow> front = windows_->active();
    QVERIFY(front);
    QCOMPARE(front->desktopId, QStringLiteral("gedit"));
    QCOMPARE(front->title, QStringLiteral("Flow target"));
    const QList<DesktopWindow> all = windows_->all();
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
    QCOMPARE(windows_->active()->pid, target_->pid());
    QVERIFY(!QGuiApplication::focusWindow());
    QTest::qWait(500);  // enough speech for a recording to be kept
    clock_.advance(std::chrono::seconds(1));
    keyboard_.release(Keysyms::controlRight);

    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QCOMPARE(idleKeyDowns_, 1);
    QCOMPARE(inserted_, QStringList{dictated});
    QCOMPARE(flow_->pill().mode(), QStringLiteral("inserted"));

    QCOMPARE(history_->entries().size(), entriesBefore + 1);
    const HistoryEntry& entry = history_->entries().first();
    QCOMPARE(entry.text, dictated);
    QCOMPARE(entry.bundleID, std::optional(QStringLiteral("gedit")));
    QCOMPARE(entry.category, std::optional(QStringLiteral("documents")));
    QVERIFY(vault_->has(entry.id));
    const auto today = stats_->days().value(QDate::currentDate().toString(Qt::ISODate));
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

void DictationFlowTests::theImprovementReplacesThePasteAfterTheSettleTimeAndUndoPutsItBack()
{
    model_->setImproveAfterInserting(true);
    startTarget(QStringLiteral("gedit"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QVERIFY(waitUntil([&] { return !server_->requests().isEmpty(); }));
    QTest::qWait(300);  // the reply reaches the main thread
    clock_.advance(Fixer::settleTime - std::chrono::milliseconds(50));
    QCOMPARE(target_->text, QStringLiteral("A HELLO WORLD B"));

    clock_.advance(std::chrono::milliseconds(50));
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A Hello, world. B"); }));
    QCOMPARE(history_->entries().first().text, QStringLiteral("Hello, world."));
    QCOMPARE(history_->entries().first().style, std::optional(QStringLiteral("clean")));
    QVERIFY(flow_->pill().canUndo());

    flow_->pill().undo();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QCOMPARE(history_->entries().first().text, dictated);
}

void DictationFlowTests::aKeystrokeRightAfterThePasteStopsTheReplacement()
{
    model_->setImproveAfterInserting(true);
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
    model_->setImproveAfterInserting(true);
    startTarget(QStringLiteral("code"));
    dictate();
    QVERIFY(waitUntil([&] { return target_->text == QStringLiteral("A HELLO WORLD B"); }));
    QCOMPARE(history_->entries().first().category, std::optional(QStringLiteral("code")));
    clock_.advance(std::chrono::seconds(2));
    QTest::qWait(300);
    QVERIFY(server_->requests().isEmpty());
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

QTEST_MAIN(DictationFlowTests)
#include "DictationFlowTests.moc"
