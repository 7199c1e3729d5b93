#include "FlowTestCase.h"

#include "Keysyms.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "X11/XcbConnection.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {
// The calling thread's nanoseconds on a processor plus those it waited ready for one, as the
// scheduler counts them; 0 where the kernel doesn't say, and every gap then counts whole.
qint64 scheduledNanoseconds()
{
    QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stats.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stats.readAll().split(' ');
    return fields.size() < 2 ? 0 : fields[0].toLongLong() + fields[1].toLongLong();
}
}

MainThreadWatch::MainThreadWatch()
{
    sinceTick_.start();
    scheduledAtTick_ = scheduledNanoseconds();
    QObject::connect(&tick_, &QTimer::timeout, [this] {
        longest_ = std::max(longest_, waitedSinceTick());
        sinceTick_.restart();
        scheduledAtTick_ = scheduledNanoseconds();
    });
    tick_.start(10);
}

qint64 MainThreadWatch::waitedSinceTick() const
{
    return sinceTick_.nsecsElapsed() - (scheduledNanoseconds() - scheduledAtTick_);
}

std::chrono::milliseconds MainThreadWatch::longestStall() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::nanoseconds(std::max(longest_, waitedSinceTick())));
}

void FlowTestCase::initTestCase()
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
    formatter_ = std::make_unique<FormatClient>(FormatConfig(server_->url(QStringLiteral("/v1/format"))), network_);
    harness_->formatter = [this] { return formatter_.get(); };
    QObject::connect(&network_, &QNetworkAccessManager::finished, [this] { ++unclaimedReplies_; });
    flow_->onIdleKeyDown = [this] {
        QCOMPARE(controller_->phase(), DictationController::Phase::idle);
        ++idleKeyDowns_;
    };
    flow_->onInserted = [this](const QString& text) { inserted_ << text; };
}

void FlowTestCase::init()
{
    harness_->model.setImproveAfterInserting(false);
    harness_->punctuator = nullptr;
    server_->clearRequests();
    improveTo(QStringLiteral("Hello, world."));
    idleKeyDowns_ = 0;
    unclaimedReplies_ = 0;
    inserted_.clear();
}

void FlowTestCase::cleanup()
{
    target_.reset();
    // The pill's outcome and any pending restore run out.
    clock_.advance(std::chrono::seconds(5));
}

void FlowTestCase::startTarget(const QString& desktopId, const QString& text, int caret, Target::Field field,
                               std::optional<std::chrono::milliseconds> answersAfter, int crowd)
{
    target_.reset();
    target_ = std::make_unique<Target>(desktopId, text, caret, field, answersAfter, crowd);
    QVERIFY(harness_->waitForFront(*target_, text));
}

void FlowTestCase::dictate(const std::function<void()>& beforeRelease)
{
    keyboard_.press(Keysyms::controlRight);
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::holding; }));
    clock_.advance(PillController::showDelay);
    QVERIFY(waitUntil([&] { return pillHears(); }, std::chrono::seconds(15)));
    QTest::qWait(500);  // enough speech for a recording to be kept
    clock_.advance(std::chrono::seconds(1));
    if (beforeRelease)
        beforeRelease();
    keyboard_.release(Keysyms::controlRight);
}

void FlowTestCase::dictateWithTheFocusHeld()
{
    harness_->focus.hold();
    dictate();
    QVERIFY(waitUntil([&] { return harness_->focus.held(); }));
    QVERIFY(waitUntil([&] { return controller_->phase() == DictationController::Phase::idle; }));
    clock_.advance(FocusLookup::bound);
}

void FlowTestCase::awaitThePaste(const QString& field)
{
    QVERIFY(waitUntil([&] { return target_->text == field; }));
    QVERIFY(waitUntil([&] { return flow_->pill().mode() == QStringLiteral("inserted"); }));
}

void FlowTestCase::awaitTheImprovement(const QString& pasted)
{
    QVERIFY(waitUntil([&] { return target_->text == pasted; }));
    awaitTheFormattingReply();
}

void FlowTestCase::awaitTheFormattingReply()
{
    QVERIFY(waitUntil([&] { return unclaimedReplies_ > 0; }));
    --unclaimedReplies_;
    // The flow takes the reply in through a call queued to the main thread as the reply finished:
    // one queued now runs after it.
    const auto drained = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [drained] { *drained = true; }, Qt::QueuedConnection);
    QVERIFY(waitUntil([&] { return *drained; }));
}

void FlowTestCase::improveTo(const QString& text)
{
    const QByteArray reply =
        QJsonDocument(QJsonObject{{QStringLiteral("text"), text}, {QStringLiteral("status"), QStringLiteral("ok")}})
            .toJson(QJsonDocument::Compact);
    server_->route("POST", "/v1/format", [reply](const HttpRequest&) { return HttpResponse::json(200, reply); });
}

std::optional<ClipboardContents> FlowTestCase::clipboardNow()
{
    std::optional<std::optional<ClipboardContents>> read;
    otherApplication_.save([&](std::optional<ClipboardContents> contents) { read = std::move(contents); });
    waitUntil([&] { return read.has_value(); });
    return read.value_or(std::nullopt);
}

QByteArray FlowTestCase::clipboardText()
{
    for (const ClipboardFormat& format : clipboardNow().value_or(ClipboardContents{})) {
        if (format.target == "UTF8_STRING")
            return format.bytes;
    }
    return {};
}

void FlowTestCase::awaitTheFlowsClipboard()
{
    // Its answer comes after everything the clipboard posted before it.
    bool told = false;
    harness_->desktop.clipboard.askStillOurs([&](bool) { told = true; });
    QVERIFY(waitUntil([&] { return told; }));
}

std::shared_ptr<bool> FlowTestCase::copyInAnotherApplication(const ClipboardContents& contents)
{
    auto read = std::make_shared<bool>(false);
    const bool owned = otherApplication_.own(contents, {0, {}, [read](const QByteArray&) { *read = true; }, {}});
    // Asked over the connection that took it: the server answers once it has done the take.
    if (!owned || !otherApplication_.takenAt())
        QTest::qFail("another application couldn't take the clipboard", __FILE__, __LINE__);
    return read;
}

bool FlowTestCase::pillHears() const
{
    return (flow_->pill().stableText() + QLatin1Char(' ') + flow_->pill().settlingText()).contains(dictated);
}
