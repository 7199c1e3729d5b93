#pragma once
// What the dictation flow's end-to-end tests share, on a real X server (with a window manager and
// the accessibility bus, see scripts/test-services): the key is driven through XTest like a
// keyboard, speech comes from the sound server's virtual microphone into the synthetic recogniser
// (speech reads "HELLO WORLD"), and the text lands in a separate test application. The flow's
// timing rules run on a manual clock, so the tests move time on where a rule waits. Each test
// program derives from FlowTestCase, whose slots set the world up before and after each case.

#include "FlowHarness.h"
#include "Formatting/FormatClient.h"
#include "ManualClock.h"
#include "TestHttpServer.h"
#include "X11/X11Clipboard.h"
#include "X11/XcbConnection.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

inline const QString dictated = QStringLiteral("HELLO WORLD");

// The longest the main thread went without handling its events because it waited, while this
// lived. Time it spent running, or ready to run while the processors were busy with other work,
// doesn't count: that is the machine's speed, not a wait on another program.
class MainThreadWatch {
public:
    MainThreadWatch();
    std::chrono::milliseconds longestStall() const;

private:
    // Nanoseconds since the last tick in which the main thread neither ran nor waited for a processor.
    qint64 waitedSinceTick() const;

    QTimer tick_;
    QElapsedTimer sinceTick_;
    qint64 scheduledAtTick_ = 0;
    qint64 longest_ = 0;
};
// Far beyond any stall of a healthy flow, far below the waits of one that waits on a hung application.
constexpr auto hangingStall = std::chrono::seconds(2);

class FlowTestCase : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

protected:
    void startTarget(const QString& desktopId, const QString& text = QStringLiteral("A  B"), int caret = 2,
                     Target::Field field = Target::Field::text,
                     std::optional<std::chrono::milliseconds> answersAfter = std::nullopt, int crowd = 0);
    // Holds the key until the words are heard, then lets go a second later (manual time), having
    // done `beforeRelease`.
    void dictate(const std::function<void()>& beforeRelease = {});
    // Dictates while the focus search's answers are held back (until harness_->focus.release()), and
    // lets the paste's own wait for them pass.
    void dictateWithTheFocusHeld();
    // Waits for the field to read this and the flow to learn that the application took the text.
    void awaitThePaste(const QString& field);
    // Waits for the pasted text and for the flow to have taken in the formatting server's reply.
    void awaitTheImprovement(const QString& pasted);
    // Waits until the flow has taken in the formatting server's next reply, however slowly it came.
    void awaitTheFormattingReply();
    // The formatting server's improvement of every text from now on (each case starts with "Hello, world.").
    void improveTo(const QString& text);
    // What the clipboard holds, read as another application would.
    std::optional<ClipboardContents> clipboardNow();
    // Its text (UTF8_STRING): empty when it offers none or its owner didn't answer.
    QByteArray clipboardText();
    // Waits until the flow's clipboard has handed the main thread everything it heard of before now.
    void awaitTheFlowsClipboard();
    // Another application copies these contents; the X server has given it the clipboard by the
    // time this returns, so the flow's next question to the server finds the copy there. True in
    // the flag once any application has read them.
    std::shared_ptr<bool> copyInAnotherApplication(const ClipboardContents& contents);
    bool pillHears() const;

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
    int unclaimedReplies_ = 0;  // formatting replies the network session finished that no wait took
    QStringList inserted_;
};
