#include "ThreadSlowdown.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds period{25};
constexpr long stopNanoseconds = 20'000'000;

int stopSignal()
{
    return SIGRTMIN + 4;
}

void stop(int)
{
    const timespec pause{0, stopNanoseconds};
    nanosleep(&pause, nullptr);
}

}

ThreadSlowdown::ThreadSlowdown(QList<QByteArray> names, bool mainThread)
    : names_(std::move(names)), mainThread_(mainThread)
{
    struct sigaction action {};
    action.sa_handler = stop;
    action.sa_flags = SA_RESTART;
    sigaction(stopSignal(), &action, nullptr);
    slower_ = std::thread([this] {
        while (!done_) {
            for (const pid_t thread : slowedThreads())
                syscall(SYS_tgkill, getpid(), thread, stopSignal());
            std::this_thread::sleep_for(period);
        }
    });
}

ThreadSlowdown::~ThreadSlowdown()
{
    done_ = true;
    slower_.join();
}

std::vector<pid_t> ThreadSlowdown::slowedThreads() const
{
    std::vector<pid_t> threads;
    if (mainThread_)
        threads.push_back(getpid());
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/") + task + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        if (std::any_of(names_.begin(), names_.end(),
                        [&](const QByteArray& wanted) { return wanted.left(15) == name; }))
            threads.push_back(pid_t(task.toInt()));
    }
    return threads;
}
