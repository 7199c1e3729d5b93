#pragma once
// Puts text at the cursor of the focused element by way of the clipboard: the clipboard's
// contents are saved (every format), the text is written with the password-manager hint so
// clipboard histories skip it, Control-V (Control-Shift-V in a terminal) is posted, and 0.5 s
// later the old contents go back, unless something else changed the clipboard meanwhile. Into a
// password field the text is only copied. Our application answers the paste's clipboard requests
// on the main thread, so what follows a paste waits until the text has been read (afterTaken).

#include "Core/Clock.h"

#include <QList>
#include <QMimeData>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class KeyPoster;
class QClipboard;

class Inserter {
public:
    enum class Target { field, terminal, password };
    enum class Result { pasted, copied, failed };

    static constexpr Clock::Duration restoreDelay = std::chrono::milliseconds(500);
    // How long afterTaken waits for an application that never reads the pasted text.
    static constexpr Clock::Duration takenTimeout = std::chrono::milliseconds(200);
    // The hint type and value that clipboard managers and histories take as "don't keep".
    static inline const QString concealedType = QStringLiteral("x-kde-passwordManagerHint");

    Inserter(QClipboard& clipboard, KeyPoster& keys, Clock& clock = Clock::system());
    ~Inserter();
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    // Saves the clipboard ahead of a paste (reading another application's clipboard takes a
    // round trip per format); insert() reads it again only if it changed since.
    void prepare();
    Result insert(const QString& text, Target target);
    // Calls `then` on the main thread once an application has read the last pasted text, or
    // takenTimeout after the paste; at once when the last insert pasted nothing. Work still
    // waiting runs before the next insert.
    void afterTaken(std::function<void()> then);
    // The keys that paste into the target.
    static QList<quint32> pasteKeys(Target target);

private:
    void restore();
    void taken();

    QClipboard& clipboard_;
    KeyPoster& keys_;
    Clock& clock_;
    std::unique_ptr<QMimeData> saved_;  // what the clipboard held before our first paste
    const QMimeData* ours_ = nullptr;  // what we put there, while it may still be there
    std::shared_ptr<ScheduledWork> restoring_;
    quint64 changes_ = 0;  // how often the clipboard changed
    std::optional<quint64> preparedAt_;  // the change count when prepare() saved it
    QMetaObject::Connection watching_;
    std::function<void()> afterTaken_;
    bool awaitingRead_ = false;  // the last paste's text hasn't been read yet
    std::shared_ptr<ScheduledWork> takenLate_;
    // The clipboard may keep our text after we are gone; its reader reaches us through this.
    const std::shared_ptr<Inserter*> self_ = std::make_shared<Inserter*>(this);
};
