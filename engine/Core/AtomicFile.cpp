#include "AtomicFile.h"

#include "PrivateFolder.h"
#include "SystemError.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// mkstemp's six letters and digits after the final name.
const QRegularExpression temporaryName(QStringLiteral("^(.+)\\.[A-Za-z0-9]{6}$"));

QString failure(const char* what, const QString& path, int* error)
{
    if (error)
        *error = errno;
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path, systemErrorText(errno));
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

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes, int* error)
{
    const QFileInfo info(path);
    if (auto failure = makePrivateFolder(info.absolutePath())) {
        if (error)
            *error = errno;
        return failure;
    }

    // mkstemp makes the file 0600, so it is never readable by others, even briefly.
    QByteArray temporary = QFile::encodeName(info.absoluteFilePath()) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure("couldn't create a temporary file for", path, error);

    const auto abandon = [&](const char* what) {
        QString text = failure(what, path, error);
        ::close(fd);
        ::unlink(temporary.constData());
        return text;
    };
    if (!writeAll(fd, bytes))
        return abandon("couldn't write");
    if (::fsync(fd) != 0)
        return abandon("couldn't flush");
    if (::close(fd) != 0) {
        const QString text = failure("couldn't close", path, error);
        ::unlink(temporary.constData());
        return text;
    }
    if (::rename(temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const QString text = failure("couldn't replace", path, error);
        ::unlink(temporary.constData());
        return text;
    }
    return std::nullopt;
}

QStringList leftoverTemporaries(const QString& folder, const std::function<bool(const QString&)>& ours)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = temporaryName.match(name);
        if (match.hasMatch() && ours(match.captured(1)))
            found.append(QDir(folder).filePath(name));
    }
    return found;
}
