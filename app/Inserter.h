#pragma once
// Puts text at the cursor of the focused element by way of the clipboard: the clipboard's
// contents are saved (every target, as its owner offers it), the text is written with the
// password-manager hint so clipboard histories skip it, Control-V (Control-Shift-V in a terminal)
// is posted, and 0.5 s later the saved contents go back, unless something else took the
// clipboard meanwhile. Into a password field the text is only copied. Nothing here waits on the
// clipboard's owner: the save runs ahead of the paste (prepare), and an owner that hasn't
// answered by the paste costs its contents, never the paste.

#include "Clipboard.h"
#include "Core/Clock.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class KeyPoster;

class Inserter {
public:
    enum class Target { field, terminal, password };
    enum class Result { pasted, copied, failed };

    static constexpr Clock::Duration restoreDelay = std::chrono::milliseconds(500);
    // How long afterTaken waits for an application that never reads the pasted text.
    static constexpr Clock::Duration takenTimeout = std::chrono::milliseconds(200);
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
    Result insert(const QString& text, Target target);
    // Calls `then` on the main thread once an application has read the last pasted text, or
    // takenTimeout after the paste; at once when the last insert pasted nothing. Work still
    // waiting runs before the next insert.
    void afterTaken(std::function<void()> then);
    // The keys that paste into the target.
    static QList<quint32> pasteKeys(Target target);
    // The targets the text is offered as.
    static ClipboardContents contentsOf(const QString& text);

private:
    void save();
    bool knowsWhatGoesBack() const;
    void restore();
    void taken();

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
    std::shared_ptr<ScheduledWork> restoring_;
    std::function<void()> afterTaken_;
    bool awaitingRead_ = false;  // the last paste's text hasn't been read yet
    std::shared_ptr<ScheduledWork> takenLate_;
    // The clipboard may call back after we are gone; it reaches us through this.
    const std::shared_ptr<Inserter*> self_ = std::make_shared<Inserter*>(this);
};
