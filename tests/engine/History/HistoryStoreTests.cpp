#include "History/HistoryStore.h"

#include "LogLines.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime base = QDateTime::fromSecsSinceEpoch(1'780'000'000, Qt::UTC);

HistoryEntry entryAt(qint64 secondsAfterBase, const QString& raw = QStringLiteral("hello world"))
{
    return HistoryEntry(QUuid::createUuid(), base.addSecs(secondsAfterBase), raw);
}

class HistoryStoreTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.json"));
    QList<QUuid> removed;

    void watch(HistoryStore& store)
    {
        store.onRemove = [this](const QUuid& id) { removed.append(id); };
    }
};

}

TEST_F(HistoryStoreTest, AddingPutsNewestFirstAndCapsTheList)
{
    QList<HistoryEntry> full;  // newest first
    for (int i = HistoryStore::maxEntries; i > 0; --i)
        full.append(entryAt(i));
    writeFile(path, HistoryStore::encodeFile(full));

    HistoryStore store(path);
    ASSERT_EQ(store.entries(), full);
    watch(store);
    const HistoryEntry newest = entryAt(5000);
    store.add(newest);
    EXPECT_EQ(store.entries().front(), newest);
    EXPECT_EQ(store.entries().back(), full[HistoryStore::maxEntries - 2]) << "the oldest went";
    ASSERT_TRUE(allSaved(store));
    EXPECT_TRUE(removed.isEmpty()) << "entries dropped by the cap don't reach onRemove";
    EXPECT_EQ(HistoryStore(path).entries(), store.entries());
}

TEST_F(HistoryStoreTest, ImprovingAndSharingChangeOneEntry)
{
    HistoryStore store(path);
    HistoryEntry entry = entryAt(0);
    entry.style = QStringLiteral("clean");
    store.add(entry);
    store.improve(entry.id, QStringLiteral("Hello, world."), std::nullopt);
    EXPECT_EQ(store.entries().front().style, QStringLiteral("clean")) << "an absent style keeps the old one";
    store.improve(entry.id, QStringLiteral("Hello, World."), QStringLiteral("formal"));
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(HistoryStore(path).entries().front().text, QStringLiteral("Hello, World."));
    EXPECT_EQ(store.entries().front().style, QStringLiteral("formal"));
    store.undoImprovement(entry.id, QStringLiteral("hello world"));
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(HistoryStore(path).entries().front().text, QStringLiteral("hello world"));
    EXPECT_EQ(HistoryStore(path).entries().front().style, std::nullopt) << "an undone improvement credits no style";
    store.improve(entry.id, QStringLiteral("Hello, World."), QStringLiteral("formal"));

    store.setClipCode(entry.id, QStringLiteral("K7Q2"));
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(HistoryStore(path).entries().front().clipCode, QStringLiteral("K7Q2"));

    QFile::remove(path);
    store.improve(QUuid::createUuid(), QStringLiteral("x"), std::nullopt);
    store.setClipCode(QUuid::createUuid(), QStringLiteral("x"));
    EXPECT_EQ(store.unsavedChanges(), 0) << "unknown identifiers change nothing and save nothing";
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(HistoryStoreTest, RemovingClearingAndPruningTellTheOwnerAfterSaving)
{
    HistoryStore store(path);
    const HistoryEntry a = entryAt(-30 * 86'400 - 1);
    const HistoryEntry b = entryAt(-30 * 86'400);
    const HistoryEntry c = entryAt(-10);
    for (const HistoryEntry& entry : {a, b, c})
        store.add(entry);
    store.onRemove = [&](const QUuid& id) {
        removed.append(id);
        EXPECT_EQ(HistoryStore(path).entries(), store.entries()) << "the file is saved before the owner hears";
    };

    store.prune(30, base);
    EXPECT_EQ(store.entries(), (QList<HistoryEntry>{c, b}));
    EXPECT_TRUE(removed.isEmpty()) << "not yet saved";
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(removed, QList<QUuid>{a.id});
    const QUuid unknown = QUuid::createUuid();
    store.remove(unknown);
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(removed.back(), unknown) << "the owner hears of unknown identifiers too";

    removed.clear();
    store.clear();
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(removed, (QList<QUuid>{c.id, b.id}));
    EXPECT_EQ(readFile(path), QByteArray("[]"));
}

TEST_F(HistoryStoreTest, SearchIgnoresCaseAndAccentsAndFiltersByCategory)
{
    HistoryStore store(path);
    const HistoryEntry coffee(QUuid::createUuid(), base, QStringLiteral("order"), QStringLiteral("Order two"),
                              QStringLiteral("com.example.cafe"), QStringLiteral("Caf\u00E9 Orders"));
    const HistoryEntry improved(QUuid::createUuid(), base, QStringLiteral("raw words only"),
                                QStringLiteral("Polished"));
    store.add(coffee);
    store.add(improved);
    EXPECT_EQ(store.search(QStringLiteral(" \n "), std::nullopt), store.entries());
    EXPECT_EQ(store.search(QStringLiteral(" CAFE "), std::nullopt), QList<HistoryEntry>{coffee});
    EXPECT_EQ(store.search(QStringLiteral("WORDS"), std::nullopt), QList<HistoryEntry>{improved})
        << "the recognised text counts";
    EXPECT_TRUE(store.search(QStringLiteral("tea"), std::nullopt).isEmpty());

    const HistoryEntry mail(QUuid::createUuid(), base, QStringLiteral("hi"), std::nullopt,
                            QStringLiteral("com.apple.mail"));
    const HistoryEntry unknown(QUuid::createUuid(), base, QStringLiteral("hi"), std::nullopt,
                               QStringLiteral("org.example.unknown"));
    // A web application's category, stored with the entry, outranks its browser's identifier.
    const HistoryEntry webMail(QUuid::createUuid(), base, QStringLiteral("hi"), std::nullopt,
                               QStringLiteral("com.google.Chrome"), QStringLiteral("Gmail"), std::nullopt,
                               AppCategory::email);
    HistoryEntry oddCategory(QUuid::createUuid(), base, QStringLiteral("hi"), std::nullopt,
                             QStringLiteral("com.apple.Terminal"));
    oddCategory.category = QStringLiteral("Email");  // not a raw value: the application decides
    for (const HistoryEntry& entry : {mail, unknown, webMail, oddCategory})
        store.add(entry);

    EXPECT_EQ(store.search(QString(), AppCategory::email), (QList<HistoryEntry>{webMail, mail}));
    EXPECT_EQ(store.search(QString(), AppCategory::code), QList<HistoryEntry>{oddCategory});
    EXPECT_EQ(store.search(QStringLiteral("hi"), AppCategory::other), QList<HistoryEntry>{unknown});
    EXPECT_EQ(store.search(QStringLiteral("gmail"), AppCategory::email), QList<HistoryEntry>{webMail});
}

TEST_F(HistoryStoreTest, TheFileHoldsOnlyPresentKeysAndIsPrivate)
{
    const mode_t mask = ::umask(0);
    {
        HistoryStore store(path);
        store.add(HistoryEntry(QUuid::createUuid(), base, QStringLiteral("raw")));
    }
    ::umask(mask);
    EXPECT_EQ(modeOf(path), 0600u);
    const QJsonObject object = QJsonDocument::fromJson(readFile(path)).array().first().toObject();
    EXPECT_EQ(object.keys(), (QStringList{"date", "id", "raw", "text"}));
    EXPECT_EQ(object.value("date").toInteger(), base.toSecsSinceEpoch());
    EXPECT_EQ(object.value("id").toString(), object.value("id").toString().toUpper());

    // A file made public by hand is private again after the next save.
    ::chmod(QFile::encodeName(path).constData(), 0644);
    HistoryStore(path).clear();
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST_F(HistoryStoreTest, AnUndecodableFileIsKeptAside)
{
    LogLines log;
    const QString side = dir.filePath(QStringLiteral("history.unreadable.json"));
    const QList<QByteArray> broken = {
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1,"text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":"1","raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1e300,"raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-05040302010","date":1,"raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1,"raw":"r)",
    };
    for (const QByteArray& bytes : broken) {
        QFile::remove(side);
        writeFile(path, bytes);
        HistoryStore store(path);
        EXPECT_TRUE(store.entries().isEmpty()) << bytes.constData();
        EXPECT_EQ(readFile(side), bytes);
        store.add(entryAt(0));
        ASSERT_TRUE(allSaved(store));
        EXPECT_EQ(HistoryStore(path).entries().size(), 1);
    }
    EXPECT_TRUE(log.mentions(QStringLiteral("history file unreadable; kept as history.unreadable.json")));
}

TEST_F(HistoryStoreTest, AHistoryThatCouldNotBeReadIsNotReplacedByTheNextDictation)
{
    LogLines log;
    // A folder in the file's place can't be read, even by root.
    writeFile(path + QStringLiteral("/inside"), "the user's");
    HistoryStore store(path);
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_TRUE(store.problem().startsWith(QStringLiteral("Couldn\u2019t read history.json")));
    const HistoryEntry first = entryAt(0);
    store.add(first);
    ASSERT_TRUE(waitUntil([&] { return log.mentions(QStringLiteral("could not save the history")); }));
    EXPECT_EQ(store.unsavedChanges(), 1);
    EXPECT_EQ(readFile(path + QStringLiteral("/inside")), QByteArray("the user's"));

    // The 40 dictations the user had are read before the waiting one and the next are added.
    ASSERT_TRUE(QDir(path).removeRecursively());
    QList<HistoryEntry> forty;
    for (int i = 40; i > 0; --i)
        forty.append(entryAt(i));
    writeFile(path, HistoryStore::encodeFile(forty));
    const HistoryEntry newest = entryAt(100);
    store.add(newest);
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(HistoryStore(path).entries(), (QList<HistoryEntry>{newest, first} + forty));
    EXPECT_EQ(store.problem(), QString());
}

TEST_F(HistoryStoreTest, AChangeThatCouldNotBeSavedStaysToBeSavedAndSaysWhy)
{
    LogLines log;
    // A file where the folder should be: not even root can write there.
    writeFile(dir.filePath(QStringLiteral("file")), "not a folder");
    HistoryStore store(dir.filePath(QStringLiteral("file/history.json")));
    watch(store);
    const HistoryEntry entry = entryAt(0);
    store.add(entry);
    ASSERT_TRUE(waitUntil([&] { return !store.problem().isEmpty(); }));
    EXPECT_TRUE(store.problem().startsWith(QStringLiteral("Couldn\u2019t save the history: ")))
        << store.problem().toStdString();
    EXPECT_EQ(store.entries(), QList<HistoryEntry>{entry});
    EXPECT_EQ(store.unsavedChanges(), 1);
    EXPECT_TRUE(log.mentions(QStringLiteral("could not save the history: ")));
}

TEST_F(HistoryStoreTest, AnEntryThatCouldNotBeRemovedStaysWithItsRecording)
{
    const QString folder = dir.filePath(QStringLiteral("data"));
    HistoryStore store(folder + QStringLiteral("/history.json"));
    watch(store);
    const HistoryEntry entry = entryAt(0);
    store.add(entry);
    ASSERT_TRUE(allSaved(store));
    // The folder goes and a file takes its place: the next save fails.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    writeFile(folder, "not a folder");

    store.remove(entry.id);
    store.clear();
    ASSERT_TRUE(waitUntil([&] { return !store.problem().isEmpty(); }));
    EXPECT_EQ(store.unsavedChanges(), 2);
    EXPECT_TRUE(removed.isEmpty()) << "what wasn't taken out of the file keeps its recording";
}
