#include "SharedRecords.h"

#include "Log.h"

#include <QFileInfo>

void logUnsavedAtQuit(qsizetype count, const StoredFile& file)
{
    if (count == 0)
        return;
    Log::info(QStringLiteral("quit with %1 %2 to %3 unsaved: %4")
                  .arg(count)
                  .arg(count == 1 ? QStringLiteral("change") : QStringLiteral("changes"), file.what(), file.problem()));
}

void watchFolderOf(QFileSystemWatcher& watcher, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (watcher.directories().isEmpty() && QFileInfo(folder).isDir())
        watcher.addPath(folder);
}
