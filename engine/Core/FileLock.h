#pragma once
// An advisory lock (flock) on a lock file beside a file, held while a change to the file is read,
// worked out and written, so that two instances never save over each other's change. The
// system lets it go when its holder dies, so a killed instance never leaves it taken.

#include <QString>

#include <functional>

class FileLock {
public:
    // Asked between tries while another holder keeps the lock; false gives up.
    using KeepWaiting = std::function<bool()>;

    // Takes the lock on "<path>.lock", made (0600) when missing, trying again for as long as
    // `keepWaiting` says (once only without it).
    explicit FileLock(const QString& path, const KeepWaiting& keepWaiting = {});
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock& operator=(FileLock&&) = delete;

    // Not held: another holder kept it until the waiting was given up. (Without a lock file, as
    // in a folder that can't be written, the lock is neither held nor busy.)
    bool busy() const { return busy_; }

private:
    int descriptor_ = -1;
    bool busy_ = false;
};
