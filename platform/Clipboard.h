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
    // False where there's no desktop to take it on. `onRead` runs on the main thread each time an
    // application has read one of the targets: not when it asks, but once it has the bytes.
    virtual bool own(ClipboardContents contents, std::function<void(const QByteArray& target)> onRead) = 0;
    // Puts these targets in place of ours (none: leaves the clipboard empty), but only while nobody
    // has taken the clipboard since our last own(); false when someone has.
    virtual bool replace(ClipboardContents contents) = 0;

    // Another application took the clipboard (on the main thread).
    std::function<void()> onChanged;
};
