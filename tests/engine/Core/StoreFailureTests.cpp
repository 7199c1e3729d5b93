// A full disk, a backlog held back by another program or a damaged kept file loses nothing, brings
// back nothing deleted and spins nothing: every try again waits longer, the changes kept by an
// earlier run show at once, a store emptied by the user stays empty, a kept file that can't be read
// now waits where it is and one that can't be understood is put aside and told.

#include "Core/AtomicFile.h"
#include "Core/KeptChanges.h"
#include "Core/Log.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "LogLines.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QDateTime now = QDateTime::currentDateTimeUtc();

HistoryEntry entry(const QString& words)
{
    return HistoryEntry(QUuid::createUuid(), now, words);
}

// A name a run keeps its changes under beside the file at `path`.
QString keptName(const QString& path, int run)
{
    return path + QStringLiteral(".unsaved-%1-0000abcd").arg(run);
}

QByteArray keptFile(const QJsonArray& changes)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("changes"), changes}}).toJson(QJsonDocument::Compact);
}

// A history of `count` entries, saved.
QList<HistoryEntry> savedHistory(HistoryStore& history, int count)
{
    for (int i = 0; i < count; ++i)
        history.add(entry(QStringLiteral("entry %1").arg(i)));
    EXPECT_TRUE(allSaved(history));
    return history.entries();
}

// A history of five saved entries, and a change that removes the first kept beside it by a run
// that met another program's lock at quit.
QList<HistoryEntry> historyWithAKeptRemoval(const QString& path)
{
    QList<HistoryEntry> entries;
    {
        HistoryStore history(path);
        entries = savedHistory(history, 5);
        HeldLock lock(path, 600);
        history.remove(entries.first().id);
        finishSavesAtQuit({&history.saves()});
    }
    return entries.mid(1);
}

QStringList filesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
}

// The temporary files saves make in a folder, counted as they are made.
class SavesTried {
public:
    explicit SavesTried(const QString& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(QStringLiteral("history.json."))
    {
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CREATE);
    }
    ~SavesTried() { ::close(fd_); }
    SavesTried(const SavesTried&) = delete;
    SavesTried& operator=(const SavesTried&) = delete;

    int count()
    {
        alignas(inotify_event) char buffer[65536];
        ssize_t length = 0;
        while ((length = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const QString name = QFile::decodeName(event->len > 0 ? event->name : "");
                // mkstemp's six characters after the file's name.
                if (name.startsWith(name_) && name.size() == name_.size() + 6)
                    ++count_;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count_;
    }

private:
    int fd_;
    QString name_;
    int count_ = 0;
};

}

TEST(StoreFailure, ATakeInTheDiskCantHoldIsTriedAgainLaterAndShowsTheKeptChangesMeanwhile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    const QList<HistoryEntry> left = historyWithAKeptRemoval(path);
    SavesTried tries(dir.path());
    constexpr int changes = 20;
    std::optional<HistoryStore> history;
    {
        DiskFull full;
        history.emplace(path);
        EXPECT_EQ(history->entries(), left) << "what the earlier run deleted stays deleted on screen";
        ASSERT_TRUE(waitUntil([&] { return !history->problem().isEmpty(); }));
        // Each try makes a temporary file in the watched folder and removes it: that change of the
        // folder is no reason to try again. The next try comes a second later; changes made then
        // are each tried at once, and no other try comes between them.
        ASSERT_TRUE(waitUntil([&] { return tries.count() >= 2; }));
        for (int change = 0; change < changes; ++change) {
            bool failed = false;
            history->add(entry(QStringLiteral("dictated on the full disk")), {},
                         [&](const QString&) { failed = true; });
            ASSERT_TRUE(waitUntil([&] { return failed; }));
        }
        EXPECT_EQ(tries.count(), 2 + changes);
        EXPECT_TRUE(history->problem().startsWith(QStringLiteral("Couldn\u2019t save the history: ")))
            << history->problem().toStdString();
    }
    // Tried again on its own once the disk has room.
    EXPECT_TRUE(waitUntil([&] { return history->problem().isEmpty(); }, std::chrono::seconds(30)));
    EXPECT_EQ(history->entries().mid(changes), left);
    EXPECT_EQ(HistoryStore::decodeFile(readFile(path)), history->entries());
    EXPECT_FALSE(filesIn(dir).join(u' ').contains(QStringLiteral(".unsaved-")));
}

TEST(StoreFailure, AFailureIsLoggedOncePerChangeOfOutcome)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    // A folder where the file should be: no save can read or replace it.
    ASSERT_TRUE(QDir().mkpath(path));
    LogLines log;
    HistoryStore history(path);
    int failures = 0;
    for (int i = 0; i < 3; ++i)
        history.add(entry(QStringLiteral("tried %1").arg(i)), {}, [&](const QString&) { ++failures; });
    ASSERT_TRUE(waitUntil([&] { return failures == 3; }));
    ASSERT_TRUE(QDir(path).removeRecursively());
    ASSERT_TRUE(allSaved(history));
    const auto said = [&](const QString& text) {
        Log::flush();
        return log.lines().filter(text).size();
    };
    EXPECT_EQ(said(QStringLiteral("could not save the history")), 1) << log.lines().join(u'\n').toStdString();
    EXPECT_EQ(said(QStringLiteral("history file can't be read")), 1);
}

TEST(StoreFailure, AStoreEmptiedOnAFullDiskStaysEmptyAndADictationThatCantBeSavedIsShown)
{
    QTemporaryDir dir;
    const QString historyPath = dir.filePath(QStringLiteral("history.json"));
    const QString statsPath = dir.filePath(QStringLiteral("stats.json"));
    {
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        for (int i = 0; i < 5; ++i) {
            history.add(entry(QStringLiteral("entry %1").arg(i)));
            stats.record(3, 2.0, now.addDays(-i));
        }
        ASSERT_TRUE(allSaved(history));
        ASSERT_TRUE(allSaved(stats));
    }
    {
        HistoryStore history(historyPath);
        UsageStats stats(statsPath, QTimeZone::utc());
        // The other instance, whose own dictation waits for room when the delete comes.
        HistoryStore there(historyPath);
        SavesTried tries(dir.path());
        DiskFull full;
        const HistoryEntry waiting = entry(QStringLiteral("dictated there on the full disk"));
        bool waits = false;
        there.add(waiting, {}, [&](const QString&) { waits = true; });
        ASSERT_TRUE(waitUntil([&] { return waits; }));
        QList<QUuid> removed;
        history.onRemove = [&](const QUuid& id) { removed.append(id); };
        history.clear();
        stats.clear();
        // The other's next try reads the emptied file before this thread hears of any change.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (tries.count() < 3 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_GE(tries.count(), 3);
        EXPECT_TRUE(allSaved(history));
        EXPECT_TRUE(allSaved(stats));
        EXPECT_EQ(removed.size(), 5) << "the recordings go with the entries";
        EXPECT_TRUE(waitUntil([&] { return there.entries() == QList<HistoryEntry>{waiting}; }))
            << "the delete is shown there while its own save waits";
        QString failure;
        history.add(entry(QStringLiteral("dictated on the full disk")), {},
                    [&](const QString& problem) { failure = problem; });
        ASSERT_TRUE(waitUntil([&] { return !failure.isEmpty(); }));
        EXPECT_EQ(history.problem(), failure) << "said on the History page";
    }
    // The dictations, kept for later at quit once the disk had room, come back; nothing deleted does.
    const QList<HistoryEntry> after = HistoryStore(historyPath).entries();
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(UsageStats(statsPath, QTimeZone::utc()).days().isEmpty());
}

TEST(StoreFailure, AStoreEmptiedOnAFullDiskWhileTheOtherInstanceReadsItIsNotTakenForDamaged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    HistoryStore emptying(path);
    HistoryStore reading(path);
    // A file long enough to take a while to read.
    const QString words = QStringLiteral("\u0633\u0644\u0627\u0645 hello ").repeated(100);
    QList<HistoryEntry> full;
    for (int i = 1; i < HistoryStore::maxEntries; ++i)
        full.append(HistoryEntry(QUuid::createUuid(), now, words));
    // The other instance reads the file it has just seen saved while this one empties it: a read
    // cut short comes in a few rounds of ten.
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(writeFileAtomically(path, HistoryStore::encodeFile(full)), std::nullopt);
        ASSERT_TRUE(waitUntil([&] { return emptying.entries().size() == full.size() && reading.entries() == full; }));
        std::optional<DiskFull> diskFull;
        emptying.add(entry(QStringLiteral("the last")), [&] {
            diskFull.emplace();
            emptying.clear();
        });
        ASSERT_TRUE(waitUntil([&] { return diskFull && emptying.unsavedChanges() == 0; }));
        diskFull.reset();
        ASSERT_TRUE(waitUntil([&] { return reading.entries().isEmpty(); })) << "nothing deleted comes back";
        ASSERT_EQ(reading.problem(), QString());
        ASSERT_EQ(filesIn(dir).filter(QStringLiteral("unreadable")), QStringList());
    }
}

TEST(StoreFailure, AKeptFileThatCantBeUnderstoodIsPutAsideAndTold)
{
    struct Case {
        const char* name;
        std::function<void(const QString& kept)> make;
        QString problem;  // on the page
    };
    const std::vector<Case> cases = {
        {"not JSON", [](const QString& kept) { writeFile(kept, "{\"changes\": [{\"kind\""); },
         QStringLiteral("can\u2019t be understood; the file is kept aside as history.json.unsaved-7-0000abcd."
                        "unreadable.")},
        {"larger than any backlog",
         [](const QString& kept) {
             writeFile(kept, "{");
             ASSERT_EQ(::truncate(QFile::encodeName(kept).constData(), KeptChanges::largestFile + 1), 0);
         },
         QStringLiteral("are too large to be taken in; the file is kept aside as history.json.unsaved-7-0000abcd."
                        "unreadable.")},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.json"));
        const QList<HistoryEntry> left = historyWithAKeptRemoval(path);
        const QString kept = keptName(path, 7);
        test.make(kept);
        const qint64 size = QFileInfo(kept).size();
        HistoryStore history(path);
        ASSERT_TRUE(waitUntil([&] { return filesIn(dir).filter(QStringLiteral(".unsaved-")).size() <= 1; }));
        EXPECT_TRUE(waitUntil([&] { return history.problem().endsWith(test.problem); }))
            << history.problem().toStdString();
        EXPECT_EQ(QFileInfo(kept + ".unreadable").size(), size) << "its bytes are kept";
        EXPECT_EQ(history.entries(), left) << "the other run's readable changes are taken in";
        EXPECT_EQ(HistoryStore(path).entries(), left);
    }
}

TEST(StoreFailure, AKeptFileThatCantBeReadNowStaysAndIsTakenInOnceItCanBe)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    historyWithAKeptRemoval(path);
    // A read error: this process's memory at address 0 can't be read.
    const QString kept = keptName(path, 8);
    ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(kept).constData()), 0);
    const QJsonObject removeAll{{QStringLiteral("kind"), QStringLiteral("removeAll")}};
    HistoryStore history(path);
    EXPECT_TRUE(waitUntil([&] {
        return history.problem().startsWith(QStringLiteral("Couldn\u2019t read changes kept by an earlier run in "
                                                           "history.json.unsaved-8-0000abcd: "));
    })) << history.problem().toStdString();
    EXPECT_TRUE(QFileInfo(kept).isSymLink()) << "left where it is";
    EXPECT_FALSE(QFileInfo::exists(kept + ".unreadable"));

    const QString readable = dir.filePath(QStringLiteral("readable"));
    writeFile(readable, keptFile({removeAll}));
    ASSERT_EQ(::rename(QFile::encodeName(readable).constData(), QFile::encodeName(kept).constData()), 0);
    EXPECT_TRUE(waitUntil([&] { return history.entries().isEmpty() && history.problem().isEmpty(); }))
        << history.problem().toStdString();
    EXPECT_FALSE(QFileInfo::exists(kept));
    EXPECT_EQ(HistoryStore(path).entries(), QList<HistoryEntry>());
}

TEST(StoreFailure, TheInstanceThatLosesATakeInRaceSaysNothingOfIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    const QList<HistoryEntry> left = historyWithAKeptRemoval(path);
    LogLines log;
    std::optional<HistoryStore> first, second;
    {
        // Both find the kept file and wait for the lock.
        HeldLock lock(path, 600);
        first.emplace(path);
        second.emplace(path);
        EXPECT_EQ(first->entries(), left);
        EXPECT_EQ(second->entries(), left);
    }
    EXPECT_TRUE(waitUntil([&] { return !filesIn(dir).join(u' ').contains(QStringLiteral(".unsaved-")); }));
    EXPECT_TRUE(waitUntil([&] { return first->unsavedChanges() == 0 && second->unsavedChanges() == 0; }));
    Log::flush();
    EXPECT_FALSE(log.mentions(QStringLiteral("can't be"))) << log.lines().join(u'\n').toStdString();
    EXPECT_EQ(first->problem(), QString());
    EXPECT_EQ(second->problem(), QString());
    EXPECT_EQ(HistoryStore(path).entries(), left);
}

TEST(StoreFailure, KeptCountsAreTakenInOnceWhateverTheFilesNamesAndWhenTheRunTakingThemInDies)
{
    const auto counted = [](qint64 words, double seconds, const QString& day = QStringLiteral("2026-03-01")) {
        return QJsonObject{
            {QStringLiteral("day"), day}, {QStringLiteral("words"), words}, {QStringLiteral("seconds"), seconds}};
    };
    const qint64 huge = 9'000'000'000'000'000'000;
    struct Case {
        const char* name;
        QString dies;  // how a run that takes them in first ends (see the store writer); none at all when empty
    };
    const std::vector<Case> cases = {
        {"taken in by this run", {}},
        {"the first run killed while it writes the counts", QStringLiteral("10")},
        {"the first run killed before it lets the kept file go", QStringLiteral("untilRemoval")},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stats.json"));
        writeFile(keptName(path, 9),
                  keptFile({counted(huge, 1), counted(huge, 1), counted(-5, 1), counted(3, 1e308), counted(4, 1e308),
                            counted(2, -1), counted(5, 2, QStringLiteral("2026-03-02"))}));
        // A second name of the same file.
        ASSERT_EQ(
            ::link(QFile::encodeName(keptName(path, 9)).constData(), QFile::encodeName(keptName(path, 10)).constData()),
            0);
        if (!test.dies.isEmpty()) {
            QProcess run;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QUILLMARSH_LOG"), QStringLiteral("/dev/null"));
            run.setProcessEnvironment(environment);
            run.start(QStringLiteral(STORE_WRITER), {QStringLiteral("stats"), path, test.dies});
            ASSERT_TRUE(run.waitForFinished(30'000));
            ASSERT_EQ(run.exitStatus(), QProcess::CrashExit);
        }
        UsageStats stats(path, QTimeZone::utc());
        ASSERT_TRUE(waitUntil([&] { return filesIn(dir).filter(QStringLiteral(".unsaved-")).isEmpty(); }))
            << filesIn(dir).join(u' ').toStdString();
        const UsageStats::Day day = UsageStats(path, QTimeZone::utc()).days().value(QStringLiteral("2026-03-01"));
        EXPECT_EQ(day, (UsageStats::Day{huge + 3, 2, 1 + 1e308}));
        EXPECT_EQ(UsageStats(path, QTimeZone::utc()).days().value(QStringLiteral("2026-03-02")),
                  (UsageStats::Day{5, 1, 2}));
    }
}

TEST(StoreFailure, ChangesThatCouldntBeKeptWhereNothingCanBeWrittenAreSaidAtTheNextStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.json"));
    QList<HistoryEntry> entries;
    {
        HistoryStore history(path);
        entries = savedHistory(history, 3);
    }
    {
        const DiskFull full;
        HistoryStore history(path);
        history.remove(entries.first().id);
        ASSERT_TRUE(waitUntil([&] { return !history.problem().isEmpty(); }));
    }
    const QString told = QStringLiteral("The last changes to history.json before the application last ended "
                                        "couldn\u2019t be written: a deletion made then may show again, and what "
                                        "was added then is missing.");
    {
        const HistoryStore history(path);
        EXPECT_EQ(history.problem(), told);
        EXPECT_EQ(history.entries(), entries);
    }
    EXPECT_EQ(HistoryStore(path).problem(), QString()) << "said once";
    EXPECT_FALSE(filesIn(dir).join(u' ').contains(QStringLiteral(".unsaved-")))
        << filesIn(dir).join(u' ').toStdString();
}
