#pragma once
// Puts text at the cursor of the focused element by way of the clipboard: the clipboard's
// contents are saved (every target, as its owner offers it), the text is written with the
// password-manager hint so clipboard histories skip it, Control-V (Control-Shift-V in a terminal)
// is posted, and the saved contents go back once the application in front has read the text, 0.5 s
// after the paste at the earliest. A read by any other application (a clipboard history, a sync
// tool) doesn't count. The contents go back as of the time the paste took the clipboard, so a copy
// made after the paste always stays. An application that hasn't read the text within takenBound
// never will: the text stays on the clipboard for the user to paste, unless the user copied
// something meanwhile. A clipboard history that takes over the text from us (the same text, its
// own copy, not the front application's) keeps offering it to the application: the saved contents
// go back over that copy, as of its time, once the application has read the text, or, where its
// read can't be seen, once it has shown that it handled the paste's keys; else, at takenBound, the
// text stays as for any application that hasn't read it.
// Into a password field the text is only copied. Nothing here waits on the
// clipboard's owner: the save runs ahead of the paste (prepare), and an owner that hasn't
// answered by the paste costs its contents, never the paste.

#include "Clipboard.h"
#include "Core/Clock.h"
#include "Core/Lifeline.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KeyPoster;

class Inserter {
public:
    enum class Target { field, terminal, password };
    enum class Result { pasted, copied, failed };
    // What became of a pasted text: the application read it (or it stayed on offer to it until
    // takenBound); it didn't, and the text is still on the clipboard; or it didn't, and another copy
    // took the clipboard meanwhile (or the desktop didn't say within askBound whether one did).
    enum class Uptake { read, leftOnClipboard, replaced };

    // The earliest the saved contents go back after a paste.
    static constexpr Clock::Duration restoreDelay = std::chrono::milliseconds(500);
    // How long the pasted text waits for an application busy elsewhere to read it.
    static constexpr Clock::Duration takenBound = std::chrono::seconds(3);
    // How long the desktop may take to say, at takenBound, whether the text is still on the clipboard.
    static constexpr Clock::Duration askBound = std::chrono::seconds(1);
    // The hint target and value that clipboard managers and histories take as "don't keep".
    static inline const QByteArray concealedTarget = QByteArrayLiteral("x-kde-passwordManagerHint");

    Inserter(Clipboard& clipboard, KeyPoster& keys, Clock& clock = Clock::system());
    ~Inserter();
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    // Starts saving the clipboard ahead of a paste, unless what goes back is already known, and
    // keeps the save current until the paste, or until cancel() says none is coming.
    void prepare();
    void cancel() { prepared_ = false; }
    // `frontWindow`: a window of the application the text is for (0: unknown, any reader counts).
    Result insert(const QString& text, Target target, quint64 frontWindow);
    // Calls `then(read)` on the main thread once the application has read the last pasted text;
    // `then` with what became of it when it hasn't within takenBound, or when the next insert comes
    // first. At once with `read` when the last insert pasted nothing.
    void afterTaken(std::function<void(Uptake)> then);
    // The keys that paste into the target.
    static QList<quint32> pasteKeys(Target target);
    // The targets the text is offered as.
    static ClipboardContents contentsOf(const QString& text);

private:
    void save();
    bool knowsWhatGoesBack() const;
    // False when the desktop refused it (a later copy holds the clipboard) or it waits for the time.
    bool restore();
    void read(quint64 paste);
    void taken(quint64 paste, quint64 time);
    void copied(quint64 paste, quint64 time);
    // takenBound passed without a read of `paste`.
    void gaveUp(quint64 paste);
    // The desktop says whether the text is still there; nothing when it didn't say within askBound.
    void told(quint64 paste, std::optional<bool> stillOurs);
    void stopWaiting(Uptake uptake);

    Clipboard& clipboard_;
    KeyPoster& keys_;
    Clock& clock_;
    // The user's clipboard: what goes back after a paste. It stays current while nobody else takes
    // the clipboard (counted in changes_), also once it is back with us as its owner.
    std::optional<ClipboardContents> saved_;
    quint64 savedAt_ = 0;  // changes_ when it was saved
    quint64 changes_ = 0;  // how often another application took the clipboard
    bool saving_ = false;
    bool prepared_ = false;  // a paste is coming: keep the save current
    quint64 frontWindow_ = 0;  // a window of the application the last paste was for
    quint64 pastes_ = 0;  // counts the pastes, so a late read of an earlier one is told apart
    // The desktop's time of the last paste, once it has told, or of a copy of it that took over.
    std::optional<quint64> takenAt_;
    bool copiedOver_ = false;  // a copy of the last paste's text took the clipboard over
    bool restored_ = false;  // the last paste's restore went to the desktop
    bool restoreWhenTold_ = false;  // the restore is due but waits for that time
    std::shared_ptr<ScheduledWork> restoring_;  // until restoreDelay has passed
    bool restoreOnRead_ = false;  // restoreDelay has passed: the read brings the contents back
    bool awaitingRead_ = false;  // the last paste's text hasn't been read yet
    std::shared_ptr<ScheduledWork> givingUp_;  // until takenBound, then until askBound
    std::vector<std::function<void(Uptake)>> afterTaken_;
    // The clipboard may call back after we are gone; it reaches us through this.
    const Lifeline<Inserter> self_{this};
};
