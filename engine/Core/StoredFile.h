#pragma once
// A store's file as the store's save queue sees it. The file is read at start; one that can't be
// decoded is kept aside under a name of its own, so no later save or later damage replaces it; one
// that exists but can't be read (a folder in its place, no permission, an I/O error) is never
// written over: every save is refused until it can be read, and it is read again before each
// change. Saves are private and atomic. `problem()` says what the user should know about the file.
// Other instances of the application share the file: each change is read, worked out and written
// under the lock beside it. Used by one thread at a time.

#include "FileLock.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// Which version of a file is on disk: another one is a file written since. Anything but a
// regular file (none, a folder) is no version.
struct FileIdentity {
    bool isFile = false;
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(const QString& path);

// A whole file as read from disk.
struct WholeFile {
    QByteArray bytes;  // empty for a missing file
    QString failure;  // why a file that is there couldn't be read; empty when it could
    FileIdentity identity;  // of the file read
    bool tooLarge = false;  // past the limit: refused unread
};
// Reads the whole file; one larger than `largest` bytes (when given) is refused unread.
WholeFile readWholeFile(const QString& path, qint64 largest = -1);

// A free name beside the file to keep it aside under: "<stem>.unreadable.<suffix>", else the same
// with "-2", "-3", ... after "unreadable", so one kept file never replaces another.
QString keptAsideName(const QString& path, const QString& stem, const QString& suffix);

class StoredFile {
public:
    // `name` begins the kept-aside names ("history" gives "history.unreadable.json"); `what`
    // names the content in texts ("the history"). Removes the temporary files earlier saves
    // of the file left when they were cut short.
    StoredFile(const QString& path, const QString& name, const QString& what);

    const QString& path() const { return path_; }
    const QString& what() const { return what_; }

    // What `decode` (bytes to an optional) makes of the file. Nothing for a missing file, empty
    // content for an empty one; nothing, with saves refused, for a file that can't be read;
    // nothing, with the file kept aside, for one that can't be decoded. Another instance
    // emptying the file in place, or an editor writing it, shows a reader a cut file: one that
    // can't be decoded is read again, and only two reads in a row alike make it damaged.
    template <typename Decode>
    auto read(Decode decode) -> decltype(decode(QByteArray()))
    {
        using Decoded = decltype(decode(QByteArray()));
        std::optional<QByteArray> bytes = readBytes();
        for (int reads = 1; bytes && !bytes->isEmpty(); ++reads) {
            if (Decoded decoded = decode(*bytes))
                return decoded;
            std::optional<QByteArray> again = readBytes();
            if (again == bytes) {
                keepAside();
                return std::nullopt;
            }
            // Still changing: read again at the next look.
            if (reads == mostReads) {
                seen_ = {};
                return std::nullopt;
            }
            bytes = std::move(again);
        }
        if (bytes && seen_.isFile)
            return Decoded(std::in_place);
        return std::nullopt;
    }

    // True while saves are refused: the file is there but its content was never seen.
    bool blocked() const { return blocked_.has_value(); }
    // Writes the bytes (nothing stands for content that couldn't be encoded). When that is
    // refused or fails, logs it and returns the text to show; else nothing.
    std::optional<QString> write(const std::optional<QByteArray>& bytes);
    // Empties the file where it can't be written whole: truncating or removing it needs no free
    // space. Nothing when it took; else, as write, the text to show.
    std::optional<QString> empty();

    // Reads the file again (see read) when it is blocked or another version is on disk than the
    // one last read or written; true when it did. A file gone since, or something else in its
    // place, is no new version (no instance writes that): it is left for the next save to
    // report. What can't be read or decoded leaves `content` as it was, for nothing to be lost.
    // An empty file is empty content: a store emptied where nothing else could be written.
    template <typename Content, typename Decode>
    bool readAgainIfChanged(Content& content, Decode decode)
    {
        const FileIdentity onDisk = identityOf(path_);
        if (!blocked() && (onDisk == seen_ || !onDisk.isFile))
            return false;
        if (auto fresh = read(decode))
            content = std::move(*fresh);
        return true;
    }

    // Held while a change is read again, worked out and written, waiting for another holder as
    // long as `keepWaiting` says (not at all without it). When the waiting is given up, the
    // change's save is refused.
    [[nodiscard]] FileLock lock(const FileLock::KeepWaiting& keepWaiting = {});
    // The same, waiting until `giveUpAt` (as it is while the wait goes on); a wait of `longWait`
    // is said by `problem()` until the lock is taken, and `waitingLong` is called then.
    [[nodiscard]] FileLock lockUntil(const std::atomic<std::chrono::steady_clock::time_point>& giveUpAt,
                                     const std::function<void()>& waitingLong);
    static constexpr std::chrono::steady_clock::duration longWait = std::chrono::seconds(2);

    // Why saves are refused, or wait, or the last one failed; else which file was kept aside at
    // start; empty when there is nothing to tell.
    QString problem() const;

private:
    // Reads of a file that can't be decoded before it is left as it is for now.
    static constexpr int mostReads = 5;

    std::optional<QByteArray> readBytes();
    void keepAside();
    void removeLeftovers();
    std::optional<QString> failed(const QString& failure);

    QString path_;
    QString name_;
    QString what_;
    std::optional<QString> blocked_;  // why the file can't be used
    QString failure_;  // of the last save
    // The failures last said in the log: each is said once until the outcome changes.
    QString logged_;
    QString readFailure_;
    QString keptAs_;  // the name the damaged file was kept under
    QString lockedOut_;  // why the last lock wasn't held
    bool waiting_ = false;  // for the lock, long
    FileIdentity seen_;  // the version last read or written
};
