#include "SharedRecords.h"

#include "Log.h"

#include <QFileInfo>

void finishSavesAtQuit(std::initializer_list<SavesAtQuit*> stores, std::chrono::steady_clock::duration bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (SavesAtQuit* store : stores)
        store->giveUpAt(deadline);
    for (SavesAtQuit* store : stores)
        store->finish();
}

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

void logTakenIn(qsizetype count, const StoredFile& file)
{
    Log::info(QStringLiteral("saved %1 to %2 kept by an earlier run").arg(changes(count), file.what()));
}

void logKeptProblem(const QString& problem, const QString& before)
{
    if (!problem.isEmpty() && problem != before)
        Log::info(QStringLiteral("kept changes wait: ") + problem);
}

void watchFolderOf(QFileSystemWatcher& watcher, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (watcher.directories().isEmpty() && QFileInfo(folder).isDir())
        watcher.addPath(folder);
}
