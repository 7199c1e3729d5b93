#include "StoredFile.h"

#include "AtomicFile.h"
#include "Log.h"
#include "PrivateFolder.h"
#include "SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

FileIdentity identityFrom(const struct stat& status)
{
    if (!S_ISREG(status.st_mode))
        return {};
    return {true, qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

}

FileIdentity identityOf(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return identityFrom(status);
}

WholeFile readWholeFile(const QString& path, qint64 largest)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {{}, errno == ENOENT || errno == ENOTDIR ? QString() : systemErrorText(errno), {}};
    WholeFile file;
    struct stat status {};
    if (::fstat(fd, &status) == 0) {
        file.identity = identityFrom(status);
        if (S_ISDIR(status.st_mode))
            file.failure = systemErrorText(EISDIR);
        file.tooLarge = largest >= 0 && status.st_size > largest;
    }
    char buffer[65536];
    while (file.failure.isEmpty()) {
        // Grown past the limit since it was looked at.
        file.tooLarge = file.tooLarge || (largest >= 0 && file.bytes.size() > largest);
        if (file.tooLarge) {
            file.failure = QStringLiteral("larger than %1 MB").arg(largest >> 20);
            break;
        }
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count > 0)
            file.bytes.append(buffer, count);
        else if (errno != EINTR)
            file.failure = systemErrorText(errno);
    }
    ::close(fd);
    if (!file.failure.isEmpty())
        file.bytes.clear();
    return file;
}

QString keptAsideName(const QString& path, const QString& stem, const QString& suffix)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    const auto taken = [&](const QString& name) {
        const QFileInfo info(folder.filePath(name));
        return info.exists() || info.isSymLink();
    };
    QString name = QStringLiteral("%1.unreadable.%2").arg(stem, suffix);
    for (int number = 2; taken(name); ++number)
        name = QStringLiteral("%1.unreadable-%2.%3").arg(stem).arg(number).arg(suffix);
    return name;
}

StoredFile::StoredFile(const QString& path, const QString& name, const QString& what)
    : path_(path), name_(name), what_(what)
{
    removeLeftovers();
}

void StoredFile::removeLeftovers()
{
    const QString folder = QFileInfo(path_).absolutePath();
    const QString fileName = QFileInfo(path_).fileName();
    const auto ours = [&](const QString& name) { return name == fileName; };
    if (leftoverTemporaries(folder, ours).isEmpty())
        return;
    // Under the lock no other instance is in the middle of a save of the file; while another
    // holds it, the leftovers wait for the next start.
    const FileLock held = lock();
    if (held.busy())
        return;
    for (const QString& leftover : leftoverTemporaries(folder, ours)) {
        if (::unlink(QFile::encodeName(leftover).constData()) == 0)
            Log::info(QStringLiteral("removed %1, left by a save cut short").arg(QFileInfo(leftover).fileName()));
    }
}

FileLock StoredFile::lock(const FileLock::KeepWaiting& keepWaiting)
{
    makePrivateFolder(QFileInfo(path_).absolutePath());
    FileLock held(path_, keepWaiting);
    waiting_ = false;
    lockedOut_ =
        held.busy() ? QStringLiteral("another program keeps %1 locked").arg(QFileInfo(path_).fileName()) : QString();
    return held;
}

FileLock StoredFile::lockUntil(const std::atomic<std::chrono::steady_clock::time_point>& giveUpAt,
                               const std::function<void()>& waitingLong)
{
    const auto start = std::chrono::steady_clock::now();
    return lock([&] {
        const auto now = std::chrono::steady_clock::now();
        if (!waiting_ && now - start >= longWait) {
            waiting_ = true;
            waitingLong();
        }
        return now < giveUpAt.load();
    });
}

std::optional<QByteArray> StoredFile::readBytes()
{
    WholeFile file = readWholeFile(path_);
    seen_ = file.identity;
    blocked_.reset();
    if (file.failure.isEmpty()) {
        readFailure_.clear();
        return std::move(file.bytes);
    }
    blocked_ = QStringLiteral("Couldn\u2019t read %1: %2. Nothing is saved to it until it can be read.")
                   .arg(QFileInfo(path_).fileName(), file.failure);
    if (std::exchange(readFailure_, file.failure) != file.failure)
        Log::info(QStringLiteral("%1 file can't be read: %2").arg(name_, file.failure));
    return std::nullopt;
}

void StoredFile::keepAside()
{
    const QString side = keptAsideName(path_, name_, QStringLiteral("json"));
    const QString sidePath = QFileInfo(path_).absoluteDir().filePath(side);
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(sidePath).constData()) != 0) {
        // Left where it is, the damaged file would be replaced by the next save.
        const QString reason = systemErrorText(errno);
        blocked_ = QStringLiteral("%1 is damaged and couldn\u2019t be kept aside: %2. Nothing is saved to it until "
                                  "it can be.")
                       .arg(QFileInfo(path_).fileName(), reason);
        Log::info(QStringLiteral("%1 file unreadable and not kept aside: %2").arg(name_, reason));
        return;
    }
    keptAs_ = side;
    seen_ = {};
    Log::info(QStringLiteral("%1 file unreadable; kept as %2").arg(name_, side));
}

std::optional<QString> StoredFile::write(const std::optional<QByteArray>& bytes)
{
    if (blocked_)
        return failed(*blocked_);
    std::optional<QString> failure;
    if (!lockedOut_.isEmpty())
        failure = lockedOut_;
    else
        failure = bytes ? writeFileAtomically(path_, *bytes) : QStringLiteral("a value can't be written as JSON");
    if (!failure) {
        seen_ = identityOf(path_);
        failure_.clear();
        logged_.clear();
        return std::nullopt;
    }
    // The page names the file; its folder would only crowd the line.
    failure_ = QStringLiteral("Couldn\u2019t save %1: %2")
                   .arg(what_, QString(*failure).replace(path_, QFileInfo(path_).fileName()));
    failed(*failure);
    return failure_;
}

std::optional<QString> StoredFile::empty()
{
    if (blocked_ || !lockedOut_.isEmpty())
        return write(std::nullopt);
    const QByteArray name = QFile::encodeName(path_);
    if (::truncate(name.constData(), 0) != 0 && errno != ENOENT && ::unlink(name.constData()) != 0)
        return failed(
            QStringLiteral("couldn't empty %1 either: %2").arg(QFileInfo(path_).fileName(), systemErrorText(errno)));
    Log::info(QStringLiteral("emptied %1 where it couldn't be written: %2").arg(what_, failure_));
    seen_ = identityOf(path_);
    failure_.clear();
    logged_.clear();
    return std::nullopt;
}

std::optional<QString> StoredFile::failed(const QString& failure)
{
    if (std::exchange(logged_, failure) != failure)
        Log::info(QStringLiteral("could not save %1: %2").arg(what_, failure));
    return blocked_ ? blocked_ : std::optional(failure_);
}

QString StoredFile::problem() const
{
    if (blocked_)
        return *blocked_;
    if (waiting_)
        return QStringLiteral("Waiting to save %1: another program keeps %2 locked.")
            .arg(what_, QFileInfo(path_).fileName());
    if (!failure_.isEmpty())
        return failure_;
    if (!keptAs_.isEmpty())
        return QStringLiteral("The old file was damaged and kept aside as %1.").arg(keptAs_);
    return {};
}
