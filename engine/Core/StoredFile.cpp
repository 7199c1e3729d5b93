#include "StoredFile.h"

#include "AtomicFile.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}

WholeFile readWholeFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {{}, errno == ENOENT || errno == ENOTDIR ? QString() : systemReason(errno)};
    WholeFile file;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode))
        file.failure = systemReason(EISDIR);
    char buffer[65536];
    while (file.failure.isEmpty()) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count > 0)
            file.bytes.append(buffer, count);
        else if (errno != EINTR)
            file.failure = systemReason(errno);
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
}

std::optional<QByteArray> StoredFile::readBytes()
{
    WholeFile file = readWholeFile(path_);
    blocked_.reset();
    if (file.failure.isEmpty())
        return std::move(file.bytes);
    blocked_ = QStringLiteral("Couldn\u2019t read %1: %2. Nothing is saved to it until it can be read.")
                   .arg(QFileInfo(path_).fileName(), file.failure);
    Log::info(QStringLiteral("%1 file can't be read: %2").arg(name_, file.failure));
    return std::nullopt;
}

void StoredFile::keepAside()
{
    const QString side = keptAsideName(path_, name_, QStringLiteral("json"));
    const QString sidePath = QFileInfo(path_).absoluteDir().filePath(side);
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(sidePath).constData()) != 0) {
        // Left where it is, the damaged file would be replaced by the next save.
        const QString reason = systemReason(errno);
        blocked_ = QStringLiteral("%1 is damaged and couldn\u2019t be kept aside: %2. Nothing is saved to it until "
                                  "it can be.")
                       .arg(QFileInfo(path_).fileName(), reason);
        Log::info(QStringLiteral("%1 file unreadable and not kept aside: %2").arg(name_, reason));
        return;
    }
    keptAs_ = side;
    Log::info(QStringLiteral("%1 file unreadable; kept as %2").arg(name_, side));
}

std::optional<QString> StoredFile::write(const std::optional<QByteArray>& bytes)
{
    if (blocked_) {
        Log::info(QStringLiteral("could not save %1: %2").arg(what_, *blocked_));
        return blocked_;
    }
    const std::optional<QString> failure =
        bytes ? writeFileAtomically(path_, *bytes) : QStringLiteral("a value can't be written as JSON");
    if (!failure) {
        failure_.clear();
        return std::nullopt;
    }
    Log::info(QStringLiteral("could not save %1: %2").arg(what_, *failure));
    // The page names the file; its folder would only crowd the line.
    failure_ = QStringLiteral("Couldn\u2019t save %1: %2")
                   .arg(what_, QString(*failure).replace(path_, QFileInfo(path_).fileName()));
    return failure_;
}

QString StoredFile::problem() const
{
    if (blocked_)
        return *blocked_;
    if (!failure_.isEmpty())
        return failure_;
    if (!keptAs_.isEmpty())
        return QStringLiteral("The old file was damaged and kept aside as %1.").arg(keptAs_);
    return {};
}
