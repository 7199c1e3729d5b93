#pragma once
// Puts text at the cursor of the focused element by way of the clipboard: the clipboard's
// contents are saved (every format), the text is written with the password-manager hint so
// clipboard histories skip it, Control-V (Control-Shift-V in a terminal) is posted, and 0.5 s
// later the old contents go back, unless something else changed the clipboard meanwhile. Into a
// password field the text is only copied.

#include "Core/Clock.h"

#include <QList>
#include <QMimeData>
#include <QString>

#include <memory>
#include <optional>

class KeyPoster;
class QClipboard;

class Inserter {
public:
    enum class Target { field, terminal, password };
    enum class Result { pasted, copied, failed };

    static constexpr Clock::Duration restoreDelay = std::chrono::milliseconds(500);
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
    // The keys that paste into the target.
    static QList<quint32> pasteKeys(Target target);

private:
    void restore();

    QClipboard& clipboard_;
    KeyPoster& keys_;
    Clock& clock_;
    std::unique_ptr<QMimeData> saved_;  // what the clipboard held before our first paste
    const QMimeData* ours_ = nullptr;  // what we put there, while it may still be there
    std::shared_ptr<ScheduledWork> restoring_;
    quint64 changes_ = 0;  // how often the clipboard changed
    std::optional<quint64> preparedAt_;  // the change count when prepare() saved it
    QMetaObject::Connection watching_;
};
