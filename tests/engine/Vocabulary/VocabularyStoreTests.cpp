#include "Vocabulary/VocabularyStore.h"

#include "Core/AtomicFile.h"
#include "LogLines.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr auto you = VocabularyEntry::Source::you;

class VocabularyStoreTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("vocabulary.json"));
};

}

TEST(VocabularyClean, ColonsAndWhiteSpace)
{
    EXPECT_EQ(VocabularyStore::clean(QStringLiteral("  Open:AI  ")), QStringLiteral("Open AI"));
    EXPECT_EQ(VocabularyStore::clean(QStringLiteral("a\n\t b::c")), QStringLiteral("a b c"));
    EXPECT_EQ(VocabularyStore::clean(QStringLiteral(" : \n")), QString());
}

TEST_F(VocabularyStoreTest, AdditionsAreCheckedInOrder)
{
    VocabularyStore store(path);
    const VocabularyEntry iphone = store.add(QStringLiteral("  iPhone "), you);
    EXPECT_EQ(iphone.text, QStringLiteral("iPhone"));
    EXPECT_EQ(iphone.added.toMSecsSinceEpoch() % 1000, 0) << "whole seconds";
    store.add(QString(60, u'x'), you);
    store.add(QStringLiteral("\u0628\u064E").repeated(60), you);  // a letter with its mark is one character
    store.add(QStringLiteral("caf\u00E9"), you);
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral(" : "), QStringLiteral("Type a word or phrase.")},
        {QString(61, u'x'), QStringLiteral("That's too long for one word or phrase.")},
        {QStringLiteral("iphone"), QStringLiteral("\u201CiPhone\u201D is already in your vocabulary.")},
        {QStringLiteral("CAFE"), QStringLiteral("\u201Ccaf\u00E9\u201D is already in your vocabulary.")},
    };
    for (const auto& [text, message] : refused) {
        try {
            store.add(text, you);
            ADD_FAILURE() << "accepted " << qPrintable(text);
        } catch (const VocabularyError& error) {
            EXPECT_EQ(error.description(), message);
        }
    }
    EXPECT_EQ(store.entries().size(), 4);
}

TEST_F(VocabularyStoreTest, HotwordsAndWrittenFormsFollowTheEntries)
{
    VocabularyStore store(path);
    int changes = 0;
    QObject::connect(&store, &VocabularyStore::entriesChanged, [&] { ++changes; });
    store.add(QStringLiteral("zoom"), you);
    EXPECT_TRUE(store.writtenForms().isEmpty()) << "no capital letter, nothing to restore";
    const VocabularyEntry iphone = store.add(QStringLiteral("iPhone"), you);
    EXPECT_EQ(store.hotwords(), (QStringList{"zoom", "iPhone"}));
    EXPECT_EQ(store.writtenForms().apply(QStringLiteral("my iphone")), QStringLiteral("my iPhone"));

    store.remove(iphone.id);
    EXPECT_EQ(store.hotwords(), QStringList{"zoom"});
    EXPECT_EQ(store.writtenForms().apply(QStringLiteral("my iphone")), QStringLiteral("my iphone"));
    EXPECT_EQ(changes, 3);
    store.add(QStringLiteral("OpenAI"), you);
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(VocabularyStore(path).writtenForms().apply(QStringLiteral("openai")), QStringLiteral("OpenAI"))
        << "a loaded store builds its written forms";
}

TEST_F(VocabularyStoreTest, HandEditedFilesAreReadLeniently)
{
    writeFile(path, R"({"version":7,"later":true,"entries":[
        {"added":"2026-03-01T13:00:00+03:30","id":"0f0e0d0c-0b0a-4908-8706-050403020100","source":"you","text":"Tehran","note":1}]})");
    VocabularyStore store(path);
    ASSERT_EQ(store.entries().size(), 1);
    EXPECT_EQ(store.entries().front().added, QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC));
    store.add(QStringLiteral("Isfahan"), you);
    ASSERT_TRUE(allSaved(store));
    EXPECT_TRUE(readFile(path).contains("\"version\": 1")) << "written back as version 1";
    EXPECT_EQ(VocabularyStore(path).hotwords(), (QStringList{"Tehran", "Isfahan"}));
}

TEST_F(VocabularyStoreTest, AnUndecodableFileIsKeptAsideNotOverwritten)
{
    LogLines log;
    const QString side = dir.filePath(QStringLiteral("vocabulary.unreadable.json"));
    const QByteArray entry = R"("id":"0F0E0D0C-0B0A-4908-8706-050403020100","text":"Word")";
    const QList<QByteArray> broken = {
        R"({"version":1,"entries":[{"added":"2026-03-01T09:30:00Z","source":"app",)" + entry + "}]}",
        R"({"version":1,"entries":[{"added":"2026-03-01T09:30:00.5Z","source":"you",)" + entry + "}]}",
        R"({"version":1,"entries":[{"added":"2026-02-30T09:30:00Z","source":"you",)" + entry + "}]}",
        R"({"version":1,"entries":[{"source":"you",)" + entry + "}]}",
        R"({"entries":[]})",
        R"({"version":1,"entries":[{"added":"2026-03-01T09:30:00Z","sou)",
    };
    for (const QByteArray& bytes : broken) {
        QFile::remove(side);
        writeFile(path, bytes);
        VocabularyStore store(path);
        EXPECT_TRUE(store.entries().isEmpty()) << bytes.constData();
        EXPECT_EQ(readFile(side), bytes);
        store.add(QStringLiteral("New"), you);
        ASSERT_TRUE(allSaved(store));
        EXPECT_EQ(VocabularyStore(path).hotwords(), QStringList{"New"});
        EXPECT_EQ(readFile(side), bytes) << "the next save leaves the user's file alone";
    }
    EXPECT_TRUE(log.mentions(QStringLiteral("vocabulary file unreadable; kept as vocabulary.unreadable.json")));
}

// A word added here that the list saved by another instance meanwhile leaves out says why: the
// same word added there first, or the list filled there.
TEST_F(VocabularyStoreTest, AWordLeftOutByAnotherInstanceSaysWhatHappenedThere)
{
    QList<VocabularyEntry> full;
    for (int n = 0; n < VocabularyStore::maxEntries; ++n)
        full.append(VocabularyEntry(QUuid::createUuid(), QStringLiteral("word%1").arg(n), you,
                                    QDateTime::currentDateTimeUtc()));
    const std::pair<QList<VocabularyEntry>, QString> cases[] = {
        {{VocabularyEntry(QUuid::createUuid(), QStringLiteral("Kubernetes"), you, QDateTime::currentDateTimeUtc())},
         QStringLiteral("\u201Ckubernetes\u201D was added on another display at the same time; the list keeps that "
                        "one, not yours.")},
        {full, QStringLiteral("The vocabulary filled up on another display at the same time, so \u201Ckubernetes\u201D "
                              "wasn\u2019t added. Remove a word to add another.")},
    };
    for (const auto& [savedThere, told] : cases) {
        QFile::remove(path);
        VocabularyStore store(path);
        // The other instance's list, saved as it saves: whole, by replacing the file, before this
        // one has seen it.
        ASSERT_FALSE(writeFileAtomically(path, VocabularyStore::encodeFile(savedThere)));
        store.add(QStringLiteral("kubernetes"), you);
        EXPECT_TRUE(allSaved(store));
        EXPECT_EQ(store.lostChange().toStdString(), told.toStdString());
    }
}
