#pragma once
// The desktop's clipboard as the inserter uses it: its contents saved as the owner offers them,
// taken over with contents of our own, and handed back. Contents are the owner's own bytes for
// each target it offered, so what goes back is exactly what was there. Tests replace it.

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

struct ClipboardFormat {
    QByteArray target;  // what applications ask for: "UTF8_STRING", "text/html", ...
    QByteArray type;  // what the owner said the bytes are
    int unit = 8;  // bits per item of the bytes: 8, 16 or 32
    QByteArray bytes;

    bool operator==(const ClipboardFormat&) const = default;
};
using ClipboardContents = QList<ClipboardFormat>;

// Contents taken over for one application, and what the desktop tells of them.
struct ClipboardServing {
    // A window of the application the contents are for: only its reads count, never those of a
    // clipboard history or another bystander. 0: any application's read counts.
    quint64 reader = 0;
    // The desktop's time at which the contents became the clipboard's, once it has told (on the
    // main thread, before any read it reports).
    std::function<void(quint64 time)> taken;
    // The reader has read one of the targets: not when it asks, but once it has the bytes (on the
    // main thread).
    std::function<void(const QByteArray& target)> read;
    // Another client than the reader's took the clipboard from us offering exactly our text (a
    // clipboard history that keeps every copy as its own): the time it took it at (on the main
    // thread). The text stays on offer, and replace() may put contents over the copy as of that
    // time. Such a take is no change by others: onChanged doesn't run for it. The reader's own
    // client copying is the user's copy, whatever it holds: a change by others.
    std::function<void(quint64 time)> copied;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Reads every target the clipboard offers without holding up the calling thread; `done` runs on
    // the main thread with them (an empty list for an empty clipboard), or with nothing when the
    // owner didn't answer in time. A later save() or own() abandons a save still running: its
    // `done` never runs.
    virtual void save(std::function<void(std::optional<ClipboardContents>)> done) = 0;
    // Takes the clipboard with exactly these targets without waiting for the desktop: keys posted
    // next through the poster that shares the clipboard's connection reach the desktop after it.
    // False where there's no desktop to take it on.
    virtual bool own(ClipboardContents contents, ClipboardServing serving) = 0;
    // Puts these targets in place of ours (none: leaves the clipboard empty) as of `since`, the time
    // an own() took the clipboard at, or a copy of it was: the desktop refuses it when anyone took
    // the clipboard after that, however late this runs. False when refused.
    virtual bool replace(ClipboardContents contents, quint64 since) = 0;
    // The time our latest own() took the clipboard at (for a restore at quitting), asked of the
    // desktop now, as quitting can't wait to be told; it waits on the desktop, never on another
    // application. Nothing when the clipboard is no longer ours or the desktop doesn't say.
    virtual std::optional<quint64> takenAt() = 0;
    // Asks the desktop whether the clipboard still holds what our latest own() or replace() put
    // there (or the copy of it told through `copied`), past every notice already on its way:
    // `answer` runs on the main thread once it says.
    virtual void askStillOurs(std::function<void(bool)> answer) = 0;
    // Asks the application that made `window` to show that it has handled what was sent to it
    // before this call (keys posted ahead of it): `handled` runs on the main thread once it has.
    // Never for a window that can't show it, nor for an application that stays busy.
    virtual void askHandled(quint64 window, std::function<void()> handled) = 0;

    // Another application took the clipboard (on the main thread).
    std::function<void()> onChanged;
};
