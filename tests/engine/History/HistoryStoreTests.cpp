#include "History/HistoryStore.h"

#include "LogLines.h"
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

TEST(HistoryEntry, DerivedValues)
{
    const HistoryEntry entry(QUuid::createUuid(), base.addMSecs(12'900), QStringLiteral("  two \n\t words  "));
    EXPECT_EQ(entry.date, base.addSecs(12)) << "dates are cut to the whole second";
    EXPECT_EQ(entry.text, entry.raw);
    EXPECT_FALSE(entry.wasChanged());
    EXPECT_EQ(entry.wordCount(), 2);
    EXPECT_EQ(HistoryEntry(QUuid(), base.addMSecs(-1), QString()).date, base.addSecs(-1));
    EXPECT_EQ(HistoryEntry(QUuid(), base, QString()).wordCount(), 0);

    const HistoryEntry composed(QUuid(), base, QStringLiteral("caf\u00E9"), QStringLiteral("cafe\u0301"));
    EXPECT_FALSE(composed.wasChanged()) << "canonically equivalent texts are the same";
    EXPECT_TRUE(HistoryEntry(QUuid(), base, QStringLiteral("a"), QStringLiteral("A")).wasChanged());
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
    int changes = 0;
    QObject::connect(&store, &HistoryStore::entriesChanged, [&] { ++changes; });
    const HistoryEntry newest = entryAt(5000);
    EXPECT_EQ(store.add(newest), newest.id);
    EXPECT_EQ(store.entries().size(), HistoryStore::maxEntries);
    EXPECT_EQ(store.entries().front(), newest);
    EXPECT_EQ(store.entries().back(), full[HistoryStore::maxEntries - 2]) << "the oldest went";
    EXPECT_TRUE(removed.isEmpty()) << "entries dropped by the cap don't reach onRemove";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(HistoryStore(path).entries(), store.entries());
}

TEST_F(HistoryStoreTest, ImprovingAndSharingChangeOneEntry)
{
    HistoryStore store(path);
    HistoryEntry entry = entryAt(0);
    entry.style = QStringLiteral("clean");
    store.add(entry);
    store.improve(entry.id, QStringLiteral("Hello, world."), std::nullopt);
    EXPECT_EQ(store.entries().front().text, QStringLiteral("Hello, world."));
    EXPECT_EQ(store.entries().front().style, QStringLiteral("clean")) << "an absent style keeps the old one";
    store.improve(entry.id, QStringLiteral("Hello, World."), QStringLiteral("formal"));
    EXPECT_EQ(store.entries().front().style, QStringLiteral("formal"));
    EXPECT_TRUE(store.entries().front().wasChanged());

    store.setClipCode(entry.id, QStringLiteral("K7Q2"));
    EXPECT_EQ(HistoryStore(path).entries().front().clipCode, QStringLiteral("K7Q2"));
    store.setClipCode(entry.id, std::nullopt);
    EXPECT_FALSE(HistoryStore(path).entries().front().clipCode);

    QFile::remove(path);
    store.improve(QUuid::createUuid(), QStringLiteral("x"), std::nullopt);
    store.setClipCode(QUuid::createUuid(), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(path)) << "unknown identifiers change nothing and save nothing";
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
    EXPECT_EQ(removed, QList<QUuid>{a.id});
    EXPECT_EQ(store.entries(), (QList<HistoryEntry>{c, b}));
    QFile::remove(path);
    store.prune(30, base);
    EXPECT_FALSE(QFile::exists(path)) << "nothing old enough: no save";

    const QUuid unknown = QUuid::createUuid();
    store.remove(unknown);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(removed.back(), unknown) << "the owner hears of unknown identifiers too";

    removed.clear();
    store.clear();
    EXPECT_EQ(removed, (QList<QUuid>{c.id, b.id}));
    EXPECT_EQ(readFile(path), QByteArray("[]"));

    store.add(c);
    store.prune(-1, base);
    EXPECT_TRUE(store.entries().isEmpty()) << "a negative number of days puts the cutoff in the future";
}

TEST_F(HistoryStoreTest, SearchIgnoresCaseAndAccents)
{
    HistoryStore store(path);
    const HistoryEntry coffee(QUuid::createUuid(), base, QStringLiteral("order"), QStringLiteral("Order two"),
                              QStringLiteral("com.example.cafe"), QStringLiteral("Caf\u00E9 Orders"));
    const HistoryEntry improved(QUuid::createUuid(), base, QStringLiteral("raw words only"), QStringLiteral("Polished"));
    store.add(coffee);
    store.add(improved);
    EXPECT_EQ(store.search(QStringLiteral(" \n "), std::nullopt), store.entries());
    EXPECT_EQ(store.search(QStringLiteral(" CAFE "), std::nullopt), QList<HistoryEntry>{coffee});
    EXPECT_EQ(store.search(QStringLiteral("WORDS"), std::nullopt), QList<HistoryEntry>{improved})
        << "the recognised text counts";
    EXPECT_TRUE(store.search(QStringLiteral("tea"), std::nullopt).isEmpty());
}

TEST_F(HistoryStoreTest, SearchFiltersByTheEntrysCategory)
{
    HistoryStore store(path);
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

    EXPECT_EQ(webMail.category, QStringLiteral("email"));
    EXPECT_EQ(oddCategory.appCategory(), AppCategory::code);
    EXPECT_EQ(store.search(QString(), AppCategory::email), (QList<HistoryEntry>{webMail, mail}));
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
    EXPECT_FALSE(readFile(path).contains('\n'));

    // A file made public by hand is private again after the next save.
    ::chmod(QFile::encodeName(path).constData(), 0644);
    HistoryStore(path).clear();
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST_F(HistoryStoreTest, HandEditedFilesAreReadAsTheyStand)
{
    writeFile(path, R"([{"id":"0f0e0d0c-0b0a-4908-8706-050403020100","date":1780000000.25,"raw":"r","text":"t",
                    "bundleID":null,"appName":"Notes","style":null,"category":"documents","clipCode":null,"future":[1]}])");
    const HistoryStore store(path);
    ASSERT_EQ(store.entries().size(), 1);
    const HistoryEntry& entry = store.entries().front();
    EXPECT_EQ(entry.date, base.addMSecs(250)) << "a fraction is read as it stands";
    EXPECT_EQ(entry.appName, QStringLiteral("Notes"));
    EXPECT_EQ(entry.category, QStringLiteral("documents"));
    EXPECT_FALSE(entry.bundleID);
    EXPECT_FALSE(entry.clipCode);
    EXPECT_EQ(HistoryStore::decodeFile(HistoryStore::encodeFile(store.entries())), store.entries());

    writeFile(path, QByteArray());
    EXPECT_TRUE(HistoryStore(path).entries().isEmpty());
    EXPECT_TRUE(QFile::exists(path)) << "an empty file is left in place";
}

TEST_F(HistoryStoreTest, AnUndecodableFileIsKeptAside)
{
    LogLines log;
    const QString side = dir.filePath(QStringLiteral("history.unreadable.json"));
    writeFile(side, "an older one");
    const QList<QByteArray> broken = {
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1,"text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":"1","raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1,"raw":"r","text":"t","appName":3}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1e300,"raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-05040302010","date":1,"raw":"r","text":"t"}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","date":1,"raw":"r)",
    };
    for (const QByteArray& bytes : broken) {
        writeFile(path, bytes);
        HistoryStore store(path);
        EXPECT_TRUE(store.entries().isEmpty()) << bytes.constData();
        EXPECT_EQ(readFile(side), bytes);
        store.add(entryAt(0));
        EXPECT_EQ(HistoryStore(path).entries().size(), 1);
    }
    EXPECT_TRUE(log.mentions(QStringLiteral("history file unreadable; kept as history.unreadable.json")));

    // The side name is fixed, whatever the history file is called.
    const QString other = dir.filePath(QStringLiteral("mine.json"));
    writeFile(other, "[");
    HistoryStore renamed(other);
    EXPECT_EQ(readFile(side), QByteArray("["));
}

TEST_F(HistoryStoreTest, AFailedSaveIsLoggedAndTheOperationCompletes)
{
    LogLines log;
    writeFile(dir.filePath(QStringLiteral("file")), "not a folder");
    HistoryStore store(dir.filePath(QStringLiteral("file/history.json")));
    watch(store);
    const HistoryEntry entry = entryAt(0);
    store.add(entry);
    store.remove(entry.id);
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_EQ(removed, QList<QUuid>{entry.id});
    EXPECT_TRUE(log.mentions(QStringLiteral("could not save the history: ")));
}

TEST(HistoryStoreLocation, FollowsTheEnvironmentVariable)
{
    {
        const ScopedEnvironment variable("QUILLMARSH_HISTORY", QStringLiteral("~/h.json"));
        EXPECT_EQ(HistoryStore::defaultURL(), QDir::homePath() + QStringLiteral("/h.json"));
    }
    const ScopedEnvironment unset("QUILLMARSH_HISTORY", std::nullopt);
    EXPECT_TRUE(HistoryStore::defaultURL().endsWith(QStringLiteral("/Quillmarsh/history.json")));
}
