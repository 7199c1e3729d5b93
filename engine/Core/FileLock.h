#pragma once
// An advisory lock (flock) on a lock file beside a file, held while a change to the file is read,
// worked out and written, so that two instances never save over each other's change. The
// system lets it go when its holder dies, so a killed instance never leaves it taken.

#include <QString>

class FileLock {
public:
    // Takes the lock on "<path>.lock", made (0600) when missing. Another holder is waited for a
    // short while only: it holds the lock for one save.
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock& operator=(FileLock&&) = delete;

    // Not held: another holder kept it beyond the wait. (Without a lock file, as in a folder
    // that can't be written, the lock is neither held nor busy.)
    bool busy() const { return busy_; }

private:
    int descriptor_ = -1;
    bool busy_ = false;
};
