// Nothing the user did waits only in memory when the application ends: what can't be saved within
// the quit's one bound is kept beside its store and saved, in order, at the next start or by the
// other instance; every save's report is heard, also during the quit; a failed save is tried
// again on its own.

#include "Core/Log.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "LogLines.h"
#include "Snippets/SnippetStore.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "Vocabulary/VocabularyStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

const QDateTime now = QDateTime::currentDateTimeUtc();

HistoryEntry entry(const QString& words)
{
    return HistoryEntry(QUuid::createUuid(), now, words);
}

// The files the stores kept beside the one at `path` for a later run.
QStringList keptBeside(const QString& path)
{
    const QFileInfo file(path);
    return file.absoluteDir().entryList({file.fileName() + QStringLiteral(".unsaved-*")}, QDir::Files);
}

// Waits, without handling events, until the log holds the line.
bool waitForLogLine(const LogLines& log, const QString& text)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < giveUp) {
        Log::flush();
        if (log.mentions(text))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}

TEST(StoreQuit, ChangesALockHeldBackAreKeptBesideTheFileAndSavedAtTheNextStartInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    const HistoryEntry first = entry(QStringLiteral("first")), second = entry(QStringLiteral("second")),
                       third = entry(QStringLiteral("third"));
    {
        HistoryStore history(path);
        history.add(first);
        history.add(second);
        ASSERT_TRUE(allSaved(history));
    }
    HeldLock lock(path, 600);
    LogLines log;
    QList<QUuid> removedAtQuit;
    bool thirdKept = false;
    {
        HistoryStore history(path);
        history.onRemove = [&](const QUuid& id) { removedAtQuit.append(id); };
        history.remove(first.id);
        history.add(third, [&] { thirdKept = true; });
        history.improve(third.id, QStringLiteral("third, improved"), QStringLiteral("formal"));
        finishSavesAtQuit({&history.saves()});
    }
    EXPECT_TRUE(lock.held()) << "the quit waited only its bound";
    EXPECT_TRUE(thirdKept) << "kept for later, the entry's recording is kept with it";
    EXPECT_EQ(removedAtQuit, QList<QUuid>{first.id}) << "the removed entry's recording goes at once";
    EXPECT_EQ(keptBeside(path).size(), 1);
    EXPECT_TRUE(log.mentions(QStringLiteral("quit with 3 changes to the history unsaved: ")));
    EXPECT_TRUE(log.mentions(QStringLiteral("; kept for later in history.json.unsaved-")))
        << log.lines().join(u'\n').toStdString();
    EXPECT_EQ(HistoryStore::decodeFile(readFile(path))->size(), 2) << "the file itself waits for the lock";

    // Another run's kept changes still being written are left to it.
    const QString underWay = dir.filePath(keptBeside(path).first() + QStringLiteral(".a1B2c3"));
    writeFile(underWay, "{\"chan");
    lock.release();
    HistoryStore history(path);
    QList<QUuid> removedAtStart;
    history.onRemove = [&](const QUuid& id) { removedAtStart.append(id); };
    ASSERT_TRUE(waitUntil([&] { return keptBeside(path) == QStringList{QFileInfo(underWay).fileName()}; }));
    HistoryEntry improved = third;
    improved.text = QStringLiteral("third, improved");
    improved.style = QStringLiteral("formal");
    EXPECT_EQ(HistoryStore(path).entries(), (QList<HistoryEntry>{improved, second}));
    EXPECT_TRUE(waitUntil([&] { return history.entries() == QList<HistoryEntry>{improved, second}; }));
    // Shown at once, the kept changes tell of their removals once saved.
    EXPECT_TRUE(waitUntil([&] { return removedAtStart == QList<QUuid>{first.id}; }))
        << "a removal taken in removes its recordings here too";
    EXPECT_EQ(readFile(underWay), "{\"chan");
}

TEST(StoreQuit, ADeleteAllKeptForLaterStaysDoneAlsoForEntriesTheOtherInstanceAddedMeanwhile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    HistoryStore there(path);
    for (int i = 0; i < 5; ++i)
        there.add(entry(QStringLiteral("entry %1").arg(i)));
    ASSERT_TRUE(allSaved(there));
    const HistoryEntry elsewhere = entry(QStringLiteral("added by the other instance meanwhile"));
    const HistoryEntry dictated = entry(QStringLiteral("dictated just before the delete"));
    {
        HeldLock lock(path, 600);
        HistoryStore here(path);
        ASSERT_EQ(here.entries().size(), 5);
        QList<QUuid> removedHere;
        here.onRemove = [&](const QUuid& id) { removedHere.append(id); };
        here.add(dictated);
        here.clear();
        finishSavesAtQuit({&here.saves()});
        EXPECT_EQ(removedHere.size(), 6);
        EXPECT_TRUE(removedHere.contains(dictated.id)) << "no recording outlives its entry";
        writeFile(path, HistoryStore::encodeFile(there.entries().mid(0, 5) << elsewhere));
    }
    QList<QUuid> removed;
    there.onRemove = [&](const QUuid& id) { removed.append(id); };
    // The other instance sees the kept change appear and saves it.
    ASSERT_TRUE(waitUntil([&] { return keptBeside(path).isEmpty(); }));
    EXPECT_EQ(HistoryStore(path).entries(), QList<HistoryEntry>());
    EXPECT_TRUE(waitUntil([&] { return there.entries().isEmpty(); }));
    EXPECT_TRUE(removed.contains(elsewhere.id));
}

TEST(StoreQuit, ALockFreedDuringTheQuitsWaitSavesAndTheSavedReportIsHeard)
{
    QTemporaryDir dir;
    const QString historyPath = dir.filePath(QStringLiteral("history.json"));
    const QString statsPath = dir.filePath(QStringLiteral("stats.json"));
    const HistoryEntry dictated = entry(QStringLiteral("dictated in the last second"));
    const HistoryEntry old = entry(QStringLiteral("old"));
    bool saved = false;
    QList<QUuid> removed;
    {
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        history.add(old);
        ASSERT_TRUE(allSaved(history));
        history.onRemove = [&](const QUuid& id) { removed.append(id); };
        // Held a second by another program; the quit's bound is far longer.
        HeldLock historyLock(historyPath, 1);
        HeldLock statsLock(statsPath, 1);
        history.add(dictated, [&] { saved = true; });
        history.remove(old.id);
        stats.record(3, 2.0, now);
        finishSavesAtQuit({&history.saves(), &stats.saves()}, std::chrono::seconds(60));
        EXPECT_TRUE(saved) << "the entry's recording is kept";
        EXPECT_EQ(removed, QList<QUuid>{old.id}) << "the removed entry's recording is removed";
    }
    EXPECT_EQ(HistoryStore(historyPath).entries(), QList<HistoryEntry>{dictated});
    EXPECT_EQ(UsageStats(statsPath, QTimeZone::utc()).days().size(), 1);
    EXPECT_TRUE(keptBeside(historyPath).isEmpty());
    EXPECT_TRUE(keptBeside(statsPath).isEmpty());
}

TEST(StoreQuit, AFailedSaveIsTriedAgainOnItsOwn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("snippets.json"));
    // A folder where the file should be: no save can read or replace it.
    ASSERT_TRUE(QDir().mkpath(path));
    SnippetStore snippets(path);
    LogLines log;
    snippets.add(QStringLiteral("my address"), QStringLiteral("1 Main St"), false);
    ASSERT_TRUE(waitForLogLine(log, QStringLiteral("could not save the snippets: Couldn\u2019t read snippets.json")));

    ASSERT_TRUE(QDir(path).removeRecursively());
    // No new change: the save comes again by itself.
    ASSERT_TRUE(allSaved(snippets));
    EXPECT_EQ(snippets.problem(), QString());
    EXPECT_EQ(SnippetStore(path).entries().size(), 1);
}

TEST(StoreQuit, AFailureIsToldOnlyToTheChangesItsSaveTriedAndAtQuitTheyAreKeptForLater)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    ASSERT_TRUE(QDir().mkpath(path));
    HistoryStore history(path);
    QStringList failed;
    LogLines log;
    history.add(entry(QStringLiteral("tried")), {}, [&](const QString&) { failed.append(QStringLiteral("tried")); });
    // The save fails before the next change comes; its report is not heard yet.
    ASSERT_TRUE(waitForLogLine(log, QStringLiteral("could not save the history")));
    // Every later try waits for this lock.
    HeldLock lock(path, 600);
    history.add(entry(QStringLiteral("not tried")), {},
                [&](const QString&) { failed.append(QStringLiteral("not tried")); });
    ASSERT_TRUE(waitUntil([&] { return !failed.isEmpty(); }));
    EXPECT_EQ(failed, QStringList{QStringLiteral("tried")});

    // At quit both go into what is kept for later, and are saved by the next start.
    ASSERT_TRUE(QDir(path).removeRecursively());
    finishSavesAtQuit({&history.saves()});
    EXPECT_TRUE(log.mentions(QStringLiteral("quit with 2 changes to the history unsaved")))
        << log.lines().join(u'\n').toStdString();
    lock.release();
    HistoryStore next(path);
    EXPECT_TRUE(waitUntil([&] { return next.entries().size() == 2 && keptBeside(path).isEmpty(); }));
}

TEST(StoreQuit, AThousandChangesHeldBackAreAllKeptInOneFileAndAllBackAtTheNextStart)
{
    QTemporaryDir dir;
    const QString historyPath = dir.filePath(QStringLiteral("history.json"));
    const QString statsPath = dir.filePath(QStringLiteral("stats.json"));
    constexpr int changes = 1000;
    QList<HistoryEntry> added;
    int kept = 0;
    {
        HeldLock historyLock(historyPath, 600);
        HeldLock statsLock(statsPath, 600);
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        for (int i = 0; i < changes; ++i) {
            added.prepend(entry(QStringLiteral("dictation %1").arg(i)));
            history.add(added.first(), [&] { ++kept; });
            stats.record(2, 1.0, now);
        }
        // Every tenth goes again, its recording with it.
        QList<QUuid> removed;
        history.onRemove = [&](const QUuid& id) { removed.append(id); };
        for (int i = 0; i < changes; i += 10)
            history.remove(added[i].id);
        finishSavesAtQuit({&history.saves(), &stats.saves()});
        EXPECT_EQ(kept, changes);
        EXPECT_EQ(removed.size(), changes / 10);
        EXPECT_EQ(keptBeside(historyPath).size(), 1);
        EXPECT_EQ(keptBeside(statsPath).size(), 1);
    }
    for (int i = changes - 10; i >= 0; i -= 10)
        added.removeAt(i);
    HistoryStore history(historyPath);
    UsageStats stats(statsPath, QTimeZone::utc());
    ASSERT_TRUE(waitUntil([&] { return keptBeside(historyPath).isEmpty() && keptBeside(statsPath).isEmpty(); }));
    EXPECT_EQ(HistoryStore(historyPath).entries(), added);
    EXPECT_EQ(UsageStats(statsPath, QTimeZone::utc()).days().first().dictations, changes);
}
