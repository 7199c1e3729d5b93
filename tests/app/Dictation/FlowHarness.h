#pragma once
// The dictation flow assembled on the test desktop (see scripts/test-services) as the application
// assembles it, with its stores and the applications' desktop entries in a private folder; the
// user's keyboard as XTest events the flow didn't post; and the test application the words are
// typed into. Shared by the flow's tests and benchmarks.

#include "Core/SerialQueue.h"
#include "Dictation/DictationController.h"
#include "Dictation/DictationDesktop.h"
#include "Dictation/DictationFlow.h"
#include "PacedSource.h"
#include "Recognition/Recognizer.h"
#include "UserRecords.h"
#include "Xdg/XdgAppIdentity.h"

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <vector>

struct _XDisplay;

// The user's keyboard: XTest events that the flow has not posted itself.
class Keyboard {
public:
    Keyboard();
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    void press(quint32 keysym) { send(keysym, true); }
    void release(quint32 keysym) { send(keysym, false); }
    void tap(quint32 keysym)
    {
        press(keysym);
        release(keysym);
    }

private:
    void send(quint32 keysym, bool down);
    _XDisplay* display_;
};

// The test application in its own process, and the last text its field reported.
class Target {
public:
    // A text field; a password field; or a text field the accessibility interface can't see,
    // as in an application that publishes nothing.
    enum class Field { text, password, unpublished };

    // Starts it with its window class, its field's text and the caret's place in it. With
    // `answersAfter`, its field is published on the accessibility bus by hand, as a GTK application
    // publishes it, answering every question that late (never when negative), among `crowd` other
    // accessibles.
    Target(const QString& windowClass, const QString& startText, int caret, Field field = Field::text,
           std::optional<std::chrono::milliseconds> answersAfter = std::nullopt, int crowd = 0);
    ~Target();
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    qint64 pid() const { return process_.processId(); }
    // Whether the accessibility interface finds its field: published, answering, and not beyond
    // what a search looks through.
    bool published() const;
    // "clipboard" puts three formats on the clipboard; "copy" copies the field's whole text (it
    // answers "copy"); "clear" empties the field; "busy MS" keeps the
    // application from its events (it answers "busy" first); "limit N" has its published field
    // refuse inserts beyond N characters; "hold" keeps its answers until "release"; "qt-like" has its
    // published field count as Qt does without saying its toolkit ("qt-like GTK": naming GTK all the
    // same); "shape beside|above|alone|widget" publishes its tree in that shape; "nbsp" and
    // "no-emoji" have its published field write inserted spaces as no-break spaces, or drop emoji;
    // "format" makes the field's first character bold and its last italic, "formats" answers
    // "formats:" and those it still has.
    void send(const QByteArray& command) { process_.write(command + '\n'); }

    QString text;
    std::chrono::steady_clock::time_point changedAt;  // when the target's field last changed
    QStringList replies;

private:
    QProcess process_;
    Field field_;
    std::optional<std::chrono::milliseconds> answersAfter_;
    int crowd_;
};

// The desktop's focused-element search as the flow sees it, whose answers a test may hold back: an
// application that answers late, or never.
class HeldFocus final : public FocusedText {
public:
    explicit HeldFocus(FocusedText& desktop) : desktop_(desktop) {}

    // From now on each search's answer waits until release().
    void hold() { holding_ = true; }
    // Hands over the answers held back, in the order they came, and lets the next ones through.
    void release();
    // A search ended and its answer waits for release().
    bool held() const { return !held_.empty(); }

    void find(qint64 pid, std::function<void(FocusAnswer)> found) override;
    void isFocused(const FocusedElement& element, std::function<void(std::optional<bool>)> answer) override
    {
        desktop_.isFocused(element, std::move(answer));
    }
    void read(const FocusedElement& element, std::function<void(std::optional<FieldText>)> read) override
    {
        desktop_.read(element, std::move(read));
    }
    void replace(const FocusedElement& element, Replace::Range range, const QString& current, const QString& text,
                 std::function<void(bool)> done) override
    {
        desktop_.replace(element, range, current, text, std::move(done));
    }

private:
    FocusedText& desktop_;
    bool holding_ = false;
    std::vector<std::function<void()>> held_;
};

// The harness's own folder, made before the records that live in it.
struct FlowFolder {
    QTemporaryDir folder;
};

// The flow over the user's records in a folder of its own, on the test desktop.
class FlowHarness : public FlowFolder, public UserRecords {
public:
    // Fails when there is no test desktop.
    static bool desktopAvailable();

    FlowHarness(const QString& modelFolder, Clock& clock);

    // Waits until the target's window is in front with its field focused.
    bool waitForFront(const Target& target, const QString& text);
    // Every dictation from now on hears the audio, played at the pace of real time by `source`.
    void speakInEveryDictation(const std::vector<float>& audio);
    // Whether the accessibility interface finds a focused element in the application, waited for.
    bool focusedIn(qint64 pid);
    // The desktop the flow works on, its focused element searched through `focus`.
    DictationFlow::Desktop flowDesktop();

    std::shared_ptr<Recognizer> recognizer;
    DictationController controller;
    DictationDesktop desktop;
    HeldFocus focus{desktop.focus};
    XdgAppIdentity applications{{folder.filePath(QStringLiteral("applications"))}};
    SerialQueue punctuation{"quillmarsh.punctuation"};
    std::function<const FormatClient*()> formatter;
    std::shared_ptr<Punctuator> punctuator;  // none: the text goes out as heard
    DictationFlow flow;
    std::shared_ptr<PacedSource> source;  // the last dictation's, with speakInEveryDictation
};
