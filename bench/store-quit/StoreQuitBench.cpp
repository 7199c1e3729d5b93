// The quit of the history and the usage counts, each with changes a lock held through the session
// kept from being saved: what couldn't be saved is kept for the next start within the quit's bound.
// Measured with 1,000 changes per store and with 10; each run's changes are checked to come back
// at the next start. Prints the times, then ratio=<1,000-change quit / 10-change quit>.

#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "StoreSaves.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

qint64 dictationsIn(const UsageStats& stats)
{
    qint64 count = 0;
    for (const UsageStats::Day& day : stats.days())
        count += day.dictations;
    return count;
}

// Seconds the quit took.
double quitWith(int changes)
{
    QTemporaryDir folder;
    const QString historyPath = folder.filePath(QStringLiteral("history.json"));
    const QString statsPath = folder.filePath(QStringLiteral("stats.json"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    double seconds = 0;
    {
        const HeldLock historyLock(historyPath, 600);
        const HeldLock statsLock(statsPath, 600);
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        const QString words = QStringLiteral("\u0633\u0644\u0627\u0645 hello ").repeated(20);
        for (int i = 0; i < changes; ++i) {
            history.add(
                HistoryEntry(QUuid::createUuid(), now, words), [] {}, [](const QString&) {});
            stats.record(40, 10.0, now);
        }
        QElapsedTimer quit;
        quit.start();
        finishSavesAtQuit({&history.saves(), &stats.saves()});
        seconds = double(quit.nsecsElapsed()) / 1e9;
    }
    {
        // The next start takes them in.
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        while (history.unsavedChanges() + stats.unsavedChanges() > 0
               || !QDir(folder.path()).entryList({QStringLiteral("*.unsaved-*")}, QDir::Files).isEmpty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const HistoryStore history(historyPath);
    const UsageStats stats(statsPath, QTimeZone::utc());
    if (history.entries().size() != changes || dictationsIn(stats) != changes)
        qFatal("the kept changes didn't all come back: %lld entries, %lld dictations", qint64(history.entries().size()),
               dictationsIn(stats));
    return seconds;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double few = quitWith(10);
    const double many = quitWith(1000);
    std::printf("quit with 10 changes per store: %.3f s\n", few);
    std::printf("quit with 1,000 changes per store: %.3f s\n", many);
    std::printf("ratio=%.3f\n", many / few);
    std::fflush(stdout);
    return 0;
}
