#include "Snippets/SnippetStore.h"

#include "FailureOf.h"
#include "LogLines.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SnippetStoreTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("snippets.json"));
};

}

TEST(SnippetNormalize, FoldsLettersDigitsMarksPunctuationAndCase)
{
    EXPECT_EQ(SnippetStore::normalize(QString()), QString());
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral(" , ; ! ")), QString());
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral("Hello,  WORLD!")), QStringLiteral("hello world"));
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral("\u06F1\u06F2\u06F3 \u0661\u0662")), QStringLiteral("123 12"));
    // Arabic yeh and kaf become Farsi yeh and keheh; alef maksura too.
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral("\u064A\u0643\u0649")), QStringLiteral("\u06CC\u06A9\u06CC"));
    // Tatweel, harakat and superscript alef vanish.
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral("\u0633\u0640\u0644\u064E\u0627\u0645\u0670")),
              QStringLiteral("\u0633\u0644\u0627\u0645"));
    // A zero-width non-joiner separates words like a space.
    EXPECT_EQ(SnippetStore::normalize(QStringLiteral("\u0645\u06CC\u200C\u0631\u0648\u0645")),
              SnippetStore::normalize(QStringLiteral("\u0645\u06CC \u0631\u0648\u0645")));
}

TEST_F(SnippetStoreTest, ValidationRulesApplyInOrderWithTheirMessages)
{
    SnippetStore store(path);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QString(), QString(), false); }), SnippetError::Kind::emptyTrigger);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QStringLiteral("?!"), QStringLiteral("x"), false); }),
              SnippetError::Kind::emptyTrigger);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QString(61, u'a'), QStringLiteral("x"), false); }),
              SnippetError::Kind::triggerTooLong);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QStringLiteral("sig"), QStringLiteral(" \n\t "), false); }),
              SnippetError::Kind::emptyText);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QStringLiteral("sig"), QString(5001, u'x'), false); }),
              SnippetError::Kind::textTooLong);
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_FALSE(QFile::exists(path)) << "a refused addition writes nothing";

    store.add(QString(60, u'a'), QString(5000, u'x'), false);
    // Lengths count user-perceived characters: a letter with a combining mark is one.
    store.add(QStringLiteral("e\u0301").repeated(60), QStringLiteral("x"), false);
    EXPECT_EQ(store.entries().size(), 2);

    EXPECT_EQ(SnippetError(SnippetError::Kind::emptyTrigger).description(), QStringLiteral("Type the phrase you will say."));
    EXPECT_EQ(SnippetError(SnippetError::Kind::emptyText).description(), QStringLiteral("Type the text to insert."));
    EXPECT_EQ(SnippetError(SnippetError::Kind::triggerTooLong).description(), QStringLiteral("That phrase is too long to say."));
    EXPECT_EQ(SnippetError(SnippetError::Kind::textTooLong).description(), QStringLiteral("That text is too long."));
    EXPECT_EQ(SnippetError(SnippetError::Kind::full).description(),
              QStringLiteral("The list is full. Remove a snippet to add another."));
}

TEST_F(SnippetStoreTest, TriggersAreTidiedAndDuplicatesNamed)
{
    SnippetStore store(path);
    const Snippet first = store.add(QStringLiteral("  My  Address\n"), QStringLiteral("1 Main St\n  Town"), true);
    EXPECT_EQ(first.trigger, QStringLiteral("My Address"));
    EXPECT_EQ(first.text, QStringLiteral("1 Main St\n  Town")) << "the text is kept exactly";
    try {
        store.add(QStringLiteral("my address!"), QStringLiteral("x"), false);
        FAIL() << "a duplicate was accepted";
    } catch (const SnippetError& error) {
        EXPECT_EQ(error, SnippetError::duplicate(QStringLiteral("My Address")));
        EXPECT_EQ(error.description(), QStringLiteral("You already have a snippet for \u201CMy Address\u201D."));
    }

    Snippet changed = first;
    changed.text = QStringLiteral("2 High St");
    store.update(changed);  // keeps its own trigger without colliding with itself
    EXPECT_EQ(store.entries().front().text, QStringLiteral("2 High St"));

    const Snippet second = store.add(QStringLiteral("sig"), QStringLiteral("Regards"), false);
    changed = second;
    changed.trigger = QStringLiteral("MY ADDRESS");
    EXPECT_EQ(failureOf<SnippetError>([&] { store.update(changed); }), SnippetError::Kind::duplicate);
    EXPECT_EQ(store.entries().back(), second);
}

TEST_F(SnippetStoreTest, AFullListRefusesAdditionsButNotUpdates)
{
    SnippetStore store(path);
    for (int i = 0; i < SnippetStore::maxEntries; ++i)
        store.add(QStringLiteral("t%1").arg(i), QStringLiteral("x"), false);
    EXPECT_EQ(failureOf<SnippetError>([&] { store.add(QStringLiteral("one more"), QStringLiteral("x"), false); }),
              SnippetError::Kind::full);
    Snippet changed = store.entries()[10];
    changed.text = QStringLiteral("changed");
    store.update(changed);
    EXPECT_EQ(store.entries()[10].text, QStringLiteral("changed"));
}

TEST_F(SnippetStoreTest, UpdatesAndRemovalsKeepOrderAndAnnounceChanges)
{
    SnippetStore store(path);
    int changes = 0;
    QObject::connect(&store, &SnippetStore::entriesChanged, [&] { ++changes; });
    const Snippet a = store.add(QStringLiteral("a"), QStringLiteral("A"), false);
    const Snippet b = store.add(QStringLiteral("b"), QStringLiteral("B"), false);
    const Snippet c = store.add(QStringLiteral("c"), QStringLiteral("C"), false);
    store.remove(b.id);
    EXPECT_EQ(store.entries(), (QList<Snippet>{a, c}));

    Snippet gone = b;
    gone.text = QStringLiteral("again");
    store.update(gone);  // no longer stored: nothing happens
    EXPECT_EQ(store.entries(), (QList<Snippet>{a, c}));
    EXPECT_EQ(changes, 4);

    QFile::remove(path);
    store.remove(QUuid::createUuid());
    EXPECT_TRUE(QFile::exists(path)) << "removing an unknown identifier still saves";
    EXPECT_EQ(SnippetStore(path).entries(), (QList<Snippet>{a, c}));
}

TEST_F(SnippetStoreTest, ExpansionFollowsTheWordRules)
{
    SnippetStore store(path);
    EXPECT_FALSE(store.expand(QStringLiteral("anything")));
    store.add(QStringLiteral("my address"), QStringLiteral("1 Main St"), true);
    store.add(QStringLiteral("my address book"), QStringLiteral("BOOK"), false);
    store.add(QStringLiteral("e mail"), QStringLiteral("EMAIL"), true);
    store.add(QStringLiteral("mail"), QStringLiteral("MAIL"), true);

    EXPECT_FALSE(store.expand(QString()));
    EXPECT_FALSE(store.expand(QStringLiteral("  \n ")));
    EXPECT_FALSE(store.expand(QStringLiteral("my email")));

    const auto punctuated = store.expand(QStringLiteral("Send my address, please."));
    ASSERT_TRUE(punctuated);
    EXPECT_EQ(punctuated->text, QStringLiteral("Send 1 Main St, please."));
    EXPECT_TRUE(punctuated->keepsExactly());

    const auto longer = store.expand(QStringLiteral("my address book"));
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->text, QStringLiteral("BOOK"));
    EXPECT_EQ(longer->snippets.size(), 1);
    EXPECT_FALSE(longer->keepsExactly());

    EXPECT_EQ(store.expand(QStringLiteral("my e-mail"))->text, QStringLiteral("my EMAIL"));
    EXPECT_EQ(store.expand(QStringLiteral("\u2014 my address"))->text, QStringLiteral("\u2014 1 Main St"));
    EXPECT_EQ(store.expand(QStringLiteral("my \u2014 address"))->text, QStringLiteral("1 Main St"));
    EXPECT_EQ(store.expand(QStringLiteral("  one\ntwo  \t my address  "))->text, QStringLiteral("one two 1 Main St"));
    EXPECT_EQ(store.expand(QStringLiteral("(My Address) and mail."))->text, QStringLiteral("(1 Main St) and MAIL."));

    const auto twice = store.expand(QStringLiteral("mail my address mail"));
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->snippets.size(), 3);
    EXPECT_EQ(twice->text, QStringLiteral("MAIL 1 Main St MAIL"));
}

TEST_F(SnippetStoreTest, PersianTriggersMatchAcrossLetterAndDigitVariants)
{
    SnippetStore store(path);
    // "کد ۱۲" typed with Arabic kaf and Persian digits matches the Farsi-keheh, ASCII-digit form.
    store.add(QStringLiteral("\u0643\u062F \u06F1\u06F2"), QStringLiteral("CODE-12"), false);
    const auto expansion = store.expand(QStringLiteral("\u0627\u06CC\u0646 \u06A9\u062F 12\u061F"));
    ASSERT_TRUE(expansion);
    EXPECT_EQ(expansion->text, QStringLiteral("\u0627\u06CC\u0646 CODE-12\u061F"));
    EXPECT_EQ(store.match(QStringLiteral("\u06A9\u062F\u0640 \u0661\u0662"))->text, QStringLiteral("CODE-12"));
    EXPECT_FALSE(store.match(QStringLiteral(" ! ")));
}

TEST_F(SnippetStoreTest, FileRoundTripsInTheStoredForm)
{
    QUuid id;
    {
        SnippetStore store(path);
        EXPECT_EQ(store.url(), path);
        id = store.add(QStringLiteral("sig"), QStringLiteral("Best,\n\"Sam\" / \u0633\u0627\u0645"), true).id;
    }
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("[{")) << bytes.constData();
    EXPECT_FALSE(bytes.contains("\": ") || bytes.contains("\n") || bytes.contains("}, {")) << "compact";
    EXPECT_TRUE(bytes.contains(("\"id\":\"" + id.toString(QUuid::WithoutBraces).toUpper() + "\"").toUtf8()));
    EXPECT_TRUE(bytes.contains("\"exact\":true"));

    const SnippetStore reloaded(path);
    ASSERT_EQ(reloaded.entries().size(), 1);
    EXPECT_EQ(reloaded.entries().front().id, id);
    EXPECT_EQ(reloaded.entries().front().text, QStringLiteral("Best,\n\"Sam\" / \u0633\u0627\u0645"));

    QFile::remove(path);
    SnippetStore empty(path);
    empty.remove(QUuid::createUuid());
    EXPECT_EQ(readFile(path), QByteArray("[]"));
}

TEST_F(SnippetStoreTest, HandEditedFilesAreReadLeniently)
{
    writeFile(path, R"([ {"text":"T","exact":false,"trigger":"  Not   Tidied ","id":"0f0e0d0c-0b0a-4908-8706-050403020100","note":1} ])");
    const SnippetStore store(path);
    ASSERT_EQ(store.entries().size(), 1);
    EXPECT_EQ(store.entries().front().trigger, QStringLiteral("  Not   Tidied ")) << "stored triggers are taken as they are";
    EXPECT_EQ(store.entries().front().id, QUuid::fromString(QStringLiteral("0F0E0D0C-0B0A-4908-8706-050403020100")));

    writeFile(path, QByteArray());
    EXPECT_TRUE(SnippetStore(path).entries().isEmpty());
    EXPECT_TRUE(QFile::exists(path)) << "an empty file is left in place";
}

TEST_F(SnippetStoreTest, AnUndecodableFileIsKeptAsideNotOverwritten)
{
    const QString side = dir.filePath(QStringLiteral("snippets.unreadable.json"));
    const QList<QByteArray> broken = {
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","text":"A"}])",          // no "exact"
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","text":"A","exact":1}])",  // wrong type
        R"([{"id":"{0F0E0D0C-0B0A-4908-8706-050403020100}","trigger":"a","text":"A","exact":true}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","te)",                    // truncated
        R"({"snippets":[]})",
        R"([1])",
    };
    for (const QByteArray& bytes : broken) {
        writeFile(path, bytes);
        SnippetStore store(path);
        EXPECT_TRUE(store.entries().isEmpty()) << bytes.constData();
        EXPECT_FALSE(QFile::exists(path)) << bytes.constData();
        EXPECT_EQ(readFile(side), bytes);

        store.add(QStringLiteral("new"), QStringLiteral("N"), false);
        EXPECT_EQ(SnippetStore(path).entries().size(), 1);
        EXPECT_EQ(readFile(side), bytes) << "the next save leaves the user's file alone";
        QFile::remove(path);
    }
}

TEST(SnippetStoreLocation, FollowsTheEnvironmentVariable)
{
    {
        const ScopedEnvironment variable("QUILLMARSH_SNIPPETS", QStringLiteral("~/mine/s.json"));
        EXPECT_EQ(SnippetStore::defaultURL(), QDir::homePath() + QStringLiteral("/mine/s.json"));
    }
    const ScopedEnvironment unset("QUILLMARSH_SNIPPETS", std::nullopt);
    EXPECT_TRUE(SnippetStore::defaultURL().endsWith(QStringLiteral("/Quillmarsh/snippets.json")));
}

TEST_F(SnippetStoreTest, AFailedSaveIsLoggedAndTheChangeKept)
{
    LogLines log;
    const QString blocked = dir.filePath(QStringLiteral("file/snippets.json"));
    writeFile(dir.filePath(QStringLiteral("file")), "not a folder");
    SnippetStore store(blocked);
    store.add(QStringLiteral("a"), QStringLiteral("A"), false);
    EXPECT_EQ(store.entries().size(), 1);
    EXPECT_TRUE(log.mentions(QStringLiteral("could not save the snippets: ")));
}
