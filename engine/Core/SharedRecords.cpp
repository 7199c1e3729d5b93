#include "SharedRecords.h"

#include "Log.h"

#include <QFileInfo>

namespace {
QString changes(qsizetype count)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("change") : QStringLiteral("changes"));
}
}

void logUnsavedAtQuit(qsizetype count, const StoredFile& file, const QString& keptIn, const QString& notKept)
{
    const QString unsaved =
        QStringLiteral("quit with %1 to %2 unsaved: %3").arg(changes(count), file.what(), file.problem());
    if (notKept.isEmpty())
        Log::info(unsaved + QStringLiteral("; kept for later in ") + QFileInfo(keptIn).fileName());
    else
        Log::info(unsaved + QStringLiteral("; couldn't keep them for later: ") + notKept);
}

void watchFolderOf(QFileSystemWatcher& watcher, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (watcher.directories().isEmpty() && QFileInfo(folder).isDir())
        watcher.addPath(folder);
    if (watcher.files().isEmpty() && QFileInfo(path).isFile())
        watcher.addPath(path);
}
