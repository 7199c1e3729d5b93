#include "Core/HelperThreads.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <sys/resource.h>
#include <unistd.h>

namespace {

QSet<pid_t> threadIds()
{
    QSet<pid_t> ids;
    for (const QString& entry : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ids.insert(entry.toInt());
    return ids;
}

QByteArray nameOf(pid_t thread)
{
    QFile file(QStringLiteral("/proc/self/task/%1/comm").arg(thread));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

}

int HelperThreads::startedBy(const std::function<void()>& start)
{
    const QByteArray name = nameOf(gettid());
    const QSet<pid_t> before = threadIds();
    start();
    int moved = 0;
    for (const pid_t thread : threadIds()) {
        if (before.contains(thread) || nameOf(thread) != name)
            continue;
        // On Linux a thread's own id names it alone.
        if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), niceness) == 0)
            ++moved;
    }
    return moved;
}
