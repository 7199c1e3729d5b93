#pragma once
// One dictation from key to text: the key monitor drives the controller, the pill follows it, and
// the final text is punctuated, its snippets expanded and inserted into the front application;
// then the usage counts, the history and the recording are kept, and the text may go to the
// formatting server to be improved in place.

#include "AppIdentity.h"
#include "Core/Clock.h"
#include "Core/SerialQueue.h"
#include "DesktopWindows.h"
#include "DictationController.h"
#include "Fixer.h"
#include "FocusLookup.h"
#include "Formatting/DictationStyle.h"
#include "Inserter.h"
#include "Pill/PillController.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class FormatClient;
class HotkeyMonitor;
class InputWatcher;
class Punctuator;

class DictationFlow : public QObject {
    Q_OBJECT
public:
    // The desktop the flow works on.
    struct Desktop {
        HotkeyMonitor& keys;
        DesktopWindows& windows;
        const AppIdentity& applications;
        FocusedText& focus;
        InputWatcher& input;
        KeyPoster& poster;
        Clipboard& clipboard;
    };
    // Engine parts that come and go (each gives nothing while unavailable), and the queue
    // punctuation runs on.
    struct Services {
        std::function<std::shared_ptr<Punctuator>()> punctuator;
        std::function<const FormatClient*()> formatter;
        SerialQueue& punctuationQueue;
    };

    DictationFlow(DictationController& controller, AppModel& model, Desktop desktop, Services services,
                  Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~DictationFlow() override;

    PillController& pill() { return pill_; }

    // The dictation key went down while no dictation runs, just before one starts.
    std::function<void()> onIdleKeyDown;
    // The final text as inserted (after snippets), whether it was pasted or only copied.
    std::function<void(const QString& text)> onInserted;

private:
    void keyDown();
    void finalText(const QString& text, double flushSeconds);
    void followFront();
    void deliver(const QString& raw, const QString& text, double speechSeconds, const std::vector<float>& audio);
    void showInserted(Inserter::Result result, const QString& text, FocusLookup::Privacy privacy);
    // Bumps the counts and keeps the history entry (when `entry` is set) with its recording, which
    // is kept once the entry is saved; `notSaved` hears why when the entry's save fails.
    void record(const QString& raw, const QString& text, double speechSeconds, const std::vector<float>& audio,
                const std::optional<QString>& appID, const std::optional<QString>& title, const QUuid& entry,
                const std::function<void(const QString&)>& notSaved = {});
    void improve(const QString& inserted, DictationStyle style, const QUuid& entry);
    void undoImprovement();

    DictationController& controller_;
    AppModel& model_;
    Desktop desktop_;
    Services services_;
    Clock& clock_;
    PillController pill_;
    Inserter inserter_;
    Fixer fixer_;
    std::optional<DesktopWindow> front_;  // where the text goes: the front window
    FocusLookup focus_;  // and its focused element
    Clock::TimePoint keyDownAt_{};
    quint64 generation_ = 0;  // which dictation a late result belongs to
    QUuid improvedEntry_;  // the history entry of the last improvement, and its dictated text
    QString dictatedText_;
};
