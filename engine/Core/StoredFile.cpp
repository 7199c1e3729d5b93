#include "StoredFile.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

void keepUnreadableFileAside(const QString& path, const QString& name)
{
    const QString sideName = name + QStringLiteral(".unreadable.json");
    const QString side = QFileInfo(path).absoluteDir().filePath(sideName);
    // Failures are ignored: the store starts empty either way.
    QFile::remove(side);
    QFile::rename(path, side);
    Log::info(QStringLiteral("%1 file unreadable; kept as %2").arg(name, sideName));
}
