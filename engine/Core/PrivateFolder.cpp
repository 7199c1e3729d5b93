#include "PrivateFolder.h"

#include "SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

std::optional<QString> makePrivateFolder(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    qsizetype next = 1;
    while (next <= path.size()) {
        qsizetype slash = path.indexOf(u'/', next);
        if (slash < 0)
            slash = path.size();
        if (::mkdir(QFile::encodeName(path.left(slash)).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("couldn't create the folder %1: %2").arg(path, systemErrorText(errno));
        next = slash + 1;
    }
    if (!QFileInfo(path).isDir())
        return QStringLiteral("couldn't create the folder %1: a file is in its place").arg(path);
    return std::nullopt;
}
