#pragma once
// One dictation from key to text: the key monitor drives the controller, the pill follows it, and
// the final text is punctuated, its snippets expanded and inserted into the front application;
// then the usage counts, the history and the recording are kept, and the text may go to the
// formatting server to be improved in place. Each dictation carries its own target and text from
// its key-down to its records, and goes out whole and in the order spoken, even after the next
// one has begun.

#include "AppIdentity.h"
#include "Core/Clock.h"
#include "Core/SerialQueue.h"
#include "DesktopWindows.h"
#include "Dictation.h"
#include "Dictation/DictationController.h"
#include "Fixer.h"
#include "FocusLookup.h"
#include "Formatting/DictationStyle.h"
#include "Inserter.h"
#include "Pill/PillController.h"
#include "Turns.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

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
    // Its text punctuated: it goes out in its turn once where it goes is known.
    void punctuated(const std::shared_ptr<Dictation>& dictation, const QString& text);
    void followFront();
    // Pastes; the turn ends once the application has read the text, the records wait for that and
    // for what the focused element allows.
    void deliver(const std::shared_ptr<Dictation>& dictation, const QString& text, const Turns::Done& done);
    void concludeWhenSettled(const std::shared_ptr<Dictation>& dictation);
    void conclude(Dictation& dictation);
    void showInserted(Inserter::Result result, const Dictation& dictation);
    // The pill's outcome of the text without regard to the microphone: where the text is.
    std::pair<PillController::Mode, QString> outcome(Inserter::Result result, const Dictation& dictation) const;
    // Bumps the counts and keeps the history entry (when `entry` is set) with its recording, which
    // is kept once the entry is saved; `notSaved` hears why when the entry's save fails.
    // The dictation's last use: its recording moves to the history's save.
    void record(Dictation& dictation, const std::function<void(const QString&)>& notSaved);
    // A later dictation has begun: this one's pill and improvement are the user's past.
    bool movedPast(quint64 number) const { return number != begun_; }
    void improve(const QString& inserted, DictationStyle style, const QUuid& entry, quint64 number);
    void undoImprovement();

    DictationController& controller_;
    AppModel& model_;
    Desktop desktop_;
    Services services_;
    Clock& clock_;
    PillController pill_;
    Inserter inserter_;
    Fixer fixer_;
    quint64 begun_ = 0;
    std::shared_ptr<Dictation> current_;  // the one the key drives
    // Those between their final text and their records, by number.
    std::map<quint64, std::shared_ptr<Dictation>> delivering_;
    Turns pastes_;  // the clipboard holds one text at a time
    Turns records_;
    QUuid improvedEntry_;  // the history entry of the last improvement, and its dictated text
    QString dictatedText_;
};
