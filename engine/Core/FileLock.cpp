#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {
// A save takes milliseconds; a holder beyond this is stuck or hostile.
constexpr auto longestWait = std::chrono::seconds(2);
constexpr auto retryEvery = std::chrono::milliseconds(2);
}

FileLock::FileLock(const QString& path)
{
    const QByteArray name = QFile::encodeName(path + QStringLiteral(".lock"));
    descriptor_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ < 0)
        return;
    const auto giveUp = std::chrono::steady_clock::now() + longestWait;
    while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= giveUp) {
            busy_ = errno == EWOULDBLOCK;
            ::close(descriptor_);
            descriptor_ = -1;
            return;
        }
        std::this_thread::sleep_for(retryEvery);
    }
}

FileLock::FileLock(FileLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)), busy_(other.busy_) {}

FileLock::~FileLock()
{
    // Closing the last descriptor of the open file lets the lock go.
    if (descriptor_ >= 0)
        ::close(descriptor_);
}
