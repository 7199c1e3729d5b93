// Two instances of the application share the user's store files: neither loses the other's
// changes, and each sees the other's as soon as they are saved. A lock another program holds
// delays a save without holding up the main thread or losing the change. What a save cut short
// left behind is cleared at the next start.

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
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include <unistd.h>

namespace {

// How many changes the file holds: entries, or dictations counted.
qint64 changesIn(const QString& kind, const QString& path)
{
    if (kind == QLatin1String("history"))
        return HistoryStore(path).entries().size();
    if (kind == QLatin1String("snippets"))
        return SnippetStore(path).entries().size();
    if (kind == QLatin1String("vocabulary"))
        return VocabularyStore(path).entries().size();
    const UsageStats stats(path, QTimeZone::utc());
    qint64 dictations = 0;
    for (const UsageStats::Day& day : stats.days())
        dictations += day.dictations;
    return dictations;
}

class SharedStoreTest : public testing::TestWithParam<const char*> {};

}

TEST_P(SharedStoreTest, TwoWritersAtOnceLoseNoChange)
{
    const QString kind = QString::fromLatin1(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath(kind + QStringLiteral(".json"));
    // Few enough that no store trims what it holds.
    constexpr int savesEach = 40;
    std::array<std::unique_ptr<QProcess>, 2> writers;
    std::array<int, 2> reported{};
    for (auto& writer : writers) {
        writer = std::make_unique<QProcess>();
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(QStringLiteral(STORE_WRITER), {kind, path, QStringLiteral("together")});
        ASSERT_TRUE(writer->waitForStarted());
    }
    // Each has read the file (empty) before either saves.
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->waitForReadyRead(30'000) && writer->readLine() == "ready\n");
    }
    for (auto& writer : writers)
        writer->write("go\n");
    const auto readReports = [&](size_t i) {
        while (writers[i]->canReadLine()) {
            writers[i]->readLine();
            ++reported[i];
        }
    };
    // Both save at once; each is stopped wherever it is once it has saved its share.
    while (writers[0]->state() == QProcess::Running || writers[1]->state() == QProcess::Running) {
        for (size_t i = 0; i < writers.size(); ++i) {
            if (writers[i]->state() != QProcess::Running)
                continue;
            writers[i]->waitForReadyRead(10);
            readReports(i);
            if (reported[i] >= savesEach) {
                writers[i]->kill();
                ASSERT_TRUE(writers[i]->waitForFinished(30'000));
                readReports(i);
            }
        }
    }
    const qint64 kept = changesIn(kind, path);
    // A writer stopped after its save but before saying so adds one more.
    EXPECT_GE(kept, reported[0] + reported[1]);
    EXPECT_LE(kept, reported[0] + reported[1] + 2);
}

INSTANTIATE_TEST_SUITE_P(Stores, SharedStoreTest, testing::Values("history", "snippets", "vocabulary", "stats"));

TEST(SharedStore, AChangeSavedElsewhereIsSeenAtOnceAndKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    HistoryStore here(path);
    HistoryStore there(path);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const HistoryEntry first(QUuid::createUuid(), now, QStringLiteral("first"));
    const HistoryEntry second(QUuid::createUuid(), now, QStringLiteral("second"));

    there.add(first);
    EXPECT_TRUE(waitUntil([&] { return here.entries().size() == 1; })) << "shown without a change of its own";

    // Changed before the other store looked: the change goes on top of the other's.
    there.remove(first.id);
    ASSERT_TRUE(allSaved(there));
    here.add(second);
    ASSERT_TRUE(allSaved(here));
    EXPECT_EQ(HistoryStore(path).entries(), QList<HistoryEntry>{second});
    EXPECT_TRUE(waitUntil([&] { return there.entries().size() == 1; }));

    // Emptied in place, as an instance does on a full disk: no change of the folder tells of it.
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 0), 0);
    EXPECT_TRUE(waitUntil([&] { return here.entries().isEmpty() && there.entries().isEmpty(); }));
}

TEST(SharedStore, ADictationMetByAHeldLockIsShownAtOnceAndSavedOnceTheLockIsFree)
{
    QTemporaryDir dir;
    const QString historyPath = dir.filePath(QStringLiteral("history.json"));
    UsageStats stats(dir.filePath(QStringLiteral("stats.json")), QTimeZone::utc());
    HistoryStore history(historyPath);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const HistoryEntry dictated(QUuid::createUuid(), now, QStringLiteral("dictated"));
    const HistoryEntry elsewhere(QUuid::createUuid(), now, QStringLiteral("saved by the lock's holder"));

    HeldLock lock(historyPath, 5);
    stats.record(2, 1.5, now);
    bool saved = false;
    history.add(dictated, [&] { saved = true; });
    // Back before the lock is free: the main thread didn't wait for it.
    EXPECT_TRUE(lock.held());
    EXPECT_EQ(history.entries(), QList<HistoryEntry>{dictated});
    EXPECT_EQ(history.problem(), QString()) << "a short wait isn't worth a line";
    ASSERT_TRUE(allSaved(stats)) << "the counts' file isn't locked";

    // The holder saves its own change meanwhile.
    writeFile(historyPath, HistoryStore::encodeFile({elsewhere}));
    int ticks = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
    ticking.start(10);
    ASSERT_TRUE(waitUntil([&] { return history.problem().startsWith(QStringLiteral("Waiting to save the history")); }));
    EXPECT_TRUE(lock.held());
    EXPECT_GT(ticks, 0) << "the main thread's timers keep firing while the save waits";
    EXPECT_FALSE(saved);

    ASSERT_TRUE(waitUntil([&] { return saved; }, std::chrono::seconds(30)));
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(HistoryStore(historyPath).entries(), (QList<HistoryEntry>{dictated, elsewhere}));
    EXPECT_EQ(history.entries(), (QList<HistoryEntry>{dictated, elsewhere}));
    EXPECT_EQ(history.problem(), QString());
}

TEST(SharedStore, AChangeThatNoLongerSuitsWhatTheOtherSavedMeanwhileIsLeftOut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vocabulary.json"));
    VocabularyStore here(path);
    VocabularyStore there(path);
    HeldLock lock(path, 600);
    // Each waits with a word the other doesn't know of yet.
    here.add(QStringLiteral("Kubernetes"), VocabularyEntry::Source::you);
    there.add(QStringLiteral("kubernetes"), VocabularyEntry::Source::you);
    there.add(QStringLiteral("Isfahan"), VocabularyEntry::Source::you);
    lock.release();
    ASSERT_TRUE(allSaved(here) && allSaved(there));
    const QStringList saved = VocabularyStore(path).hotwords();
    EXPECT_EQ(saved.filter(QStringLiteral("kubernetes"), Qt::CaseInsensitive).size(), 1)
        << saved.join(u',').toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("Isfahan")));
    EXPECT_TRUE(waitUntil([&] { return here.hotwords() == saved && there.hotwords() == saved; }));
}

TEST(SharedStore, TemporaryFilesOfSavesCutShortAreRemovedAtStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vocabulary.json"));
    const QStringList leftovers = {QStringLiteral("vocabulary.json.a1B2c3"), QStringLiteral("vocabulary.json.ZZZZZZ")};
    const QStringList others = {QStringLiteral("vocabulary.json.tooLong1"), QStringLiteral("notes.json.a1B2c3"),
                                QStringLiteral("vocabulary.json.abc")};
    for (const QString& name : leftovers + others)
        writeFile(dir.filePath(name), "[{\"half");
    const VocabularyStore store(path);
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFile::exists(dir.filePath(name))) << name.toStdString();
    for (const QString& name : others)
        EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name.toStdString() << " is not ours";
}
