#include "FileLock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {
// A save holds the lock for milliseconds: early tries come quickly, later ones less often.
constexpr auto firstRetry = std::chrono::milliseconds(2);
constexpr auto slowestRetry = std::chrono::milliseconds(50);
}

FileLock::FileLock(const QString& path, const KeepWaiting& keepWaiting)
{
    const QByteArray name = QFile::encodeName(path + QStringLiteral(".lock"));
    descriptor_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ < 0)
        return;
    auto retry = firstRetry;
    while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || !keepWaiting || !keepWaiting()) {
            busy_ = error == EWOULDBLOCK;
            ::close(descriptor_);
            descriptor_ = -1;
            return;
        }
        std::this_thread::sleep_for(retry);
        retry = std::min(retry * 2, slowestRetry);
    }
}

FileLock::FileLock(FileLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)), busy_(other.busy_) {}

FileLock::~FileLock()
{
    // Closing the last descriptor of the open file lets the lock go.
    if (descriptor_ >= 0)
        ::close(descriptor_);
}
