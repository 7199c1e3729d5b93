#pragma once
// Slows chosen threads of this process as a busy machine would, while the others run free: every
// 25 ms each of them is stopped for 20 ms wherever it is (a signal puts it to sleep in its handler).

#include <QByteArray>
#include <QList>

#include <atomic>
#include <sys/types.h>
#include <thread>
#include <vector>

class ThreadSlowdown {
public:
    // The threads named with one of `names` (a thread's name is cut at 15 bytes, so a name may be
    // given whole) as they come and go, and the main thread too when `mainThread`.
    ThreadSlowdown(QList<QByteArray> names, bool mainThread);
    ~ThreadSlowdown();

    ThreadSlowdown(const ThreadSlowdown&) = delete;
    ThreadSlowdown& operator=(const ThreadSlowdown&) = delete;

private:
    std::vector<pid_t> slowedThreads() const;

    const QList<QByteArray> names_;
    const bool mainThread_;
    std::atomic<bool> done_ = false;
    std::thread slower_;
};
