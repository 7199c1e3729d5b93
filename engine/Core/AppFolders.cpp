#include "AppFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace AppFolders {

QString data()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quillmarsh");
}

QString config()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quillmarsh");
}

QString state()
{
    // Qt 6.4 has no state location; the XDG rule is simple enough to follow here.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/Quillmarsh");
}

void keepPrivate()
{
    for (const QString& folder : {data(), config(), state()}) {
        const QByteArray path = QFile::encodeName(folder);
        struct stat status {};
        // Only ever narrowed: what the user took away from themselves (a read-only folder) stays so.
        if (::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & 077) != 0)
            ::chmod(path.constData(), status.st_mode & 07700);
    }
}

}
