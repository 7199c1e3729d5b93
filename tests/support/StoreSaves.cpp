#include "StoreSaves.h"

#include <csignal>
#include <unistd.h>

HeldLock::HeldLock(const QString& path, int seconds)
{
    holder_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A group of its own, so that its shell goes with it.
    holder_.setChildProcessModifier([] { ::setpgid(0, 0); });
    // The lock stays with flock itself ("-o"), so it goes when flock does.
    holder_.start(QStringLiteral("flock"),
                  {QStringLiteral("-o"), path + QStringLiteral(".lock"), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("echo held; exec sleep %1").arg(seconds)});
    if (!holder_.waitForReadyRead(10'000) || holder_.readLine() != "held\n")
        qFatal("the lock's holder didn't start");
}

HeldLock::~HeldLock()
{
    release();
}

void HeldLock::release()
{
    if (!held())
        return;
    ::kill(-pid_t(holder_.processId()), SIGKILL);
    holder_.waitForFinished();
}

DiskFull::DiskFull()
{
    // A write past the limit fails (EFBIG) instead of ending the process.
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &before_);
    const rlimit none{0, before_.rlim_max};
    if (::setrlimit(RLIMIT_FSIZE, &none) != 0)
        qFatal("couldn't limit the file size");
}

DiskFull::~DiskFull()
{
    ::setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, handler_);
}
