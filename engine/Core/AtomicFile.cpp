#include "AtomicFile.h"

#include "PrivateFolder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString failure(const char* what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

}

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (auto failure = makePrivateFolder(info.absolutePath()))
        return failure;

    // mkstemp makes the file 0600, so it is never readable by others, even briefly.
    QByteArray temporary = QFile::encodeName(info.absoluteFilePath()) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure("couldn't create a temporary file for", path);

    const auto abandon = [&](const char* what) {
        const QString text = failure(what, path);
        ::close(fd);
        ::unlink(temporary.constData());
        return text;
    };
    if (!writeAll(fd, bytes))
        return abandon("couldn't write");
    if (::fsync(fd) != 0)
        return abandon("couldn't flush");
    if (::close(fd) != 0) {
        const QString text = failure("couldn't close", path);
        ::unlink(temporary.constData());
        return text;
    }
    if (::rename(temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const QString text = failure("couldn't replace", path);
        ::unlink(temporary.constData());
        return text;
    }
    return std::nullopt;
}
