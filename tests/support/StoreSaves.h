#pragma once
// What the tests of shared stores need: waiting, on the main thread's event loop, for what a store
// saves on its queue, another program holding a store file's lock, and a full disk.

#include "TestSupport.h"

#include <QProcess>
#include <QString>

#include <sys/resource.h>

// Whether every change of the store was saved before the time was up.
template <typename Store>
bool allSaved(const Store& store)
{
    return waitUntil([&] { return store.unsavedChanges() == 0; });
}

// Another process holds the lock of the file at `path` from construction until it is released,
// destroyed or `seconds` have passed.
class HeldLock {
public:
    HeldLock(const QString& path, int seconds);
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    bool held() const { return holder_.state() == QProcess::Running; }
    void release();

private:
    QProcess holder_;
};

// While it lives, no byte can be written to a file of this process, as on a full disk (the log
// included); making, truncating, renaming and removing files still take.
class DiskFull {
public:
    DiskFull();
    ~DiskFull();
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit before_{};
    void (*handler_)(int) = nullptr;
};
