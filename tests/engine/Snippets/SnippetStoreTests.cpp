#include "Snippets/SnippetStore.h"

#include "Core/AtomicFile.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

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
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral(" , ; ! "), QString()},
        {QStringLiteral("Hello,  WORLD!"), QStringLiteral("hello world")},
        {QStringLiteral("\u06F1\u06F2\u06F3 \u0661\u0662"), QStringLiteral("123 12")},
        {QStringLiteral("\u064A\u0643\u0649"), QStringLiteral("\u06CC\u06A9\u06CC")},  // Arabic yeh, kaf, alef maksura
        {QStringLiteral("\u0633\u0640\u0644\u064E\u0627\u0645\u0670"), QStringLiteral("\u0633\u0644\u0627\u0645")},
        {QStringLiteral("\u0645\u06CC\u200C\u0631\u0648\u0645"), QStringLiteral("\u0645\u06CC \u0631\u0648\u0645")},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(SnippetStore::normalize(input), expected) << qPrintable(input);
}

TEST_F(SnippetStoreTest, RefusedAdditionsNameTheRuleAndWriteNothing)
{
    SnippetStore store(path);
    const std::tuple<QString, QString, QString> refused[] = {
        {QString(), QString(), QStringLiteral("Type the phrase you will say.")},
        {QStringLiteral("?!"), QStringLiteral("x"), QStringLiteral("Type the phrase you will say.")},
        {QString(61, u'a'), QStringLiteral("x"), QStringLiteral("That phrase is too long to say.")},
        {QStringLiteral("sig"), QStringLiteral(" \n\t "), QStringLiteral("Type the text to insert.")},
        {QStringLiteral("sig"), QString(5001, u'x'), QStringLiteral("That text is too long.")},
    };
    for (const auto& [trigger, text, message] : refused) {
        try {
            store.add(trigger, text, false);
            ADD_FAILURE() << "accepted " << qPrintable(trigger);
        } catch (const SnippetError& error) {
            EXPECT_EQ(error.description(), message);
        }
    }
    EXPECT_FALSE(QFile::exists(path));

    store.add(QString(60, u'a'), QString(5000, u'x'), false);
    store.add(QStringLiteral("e\u0301").repeated(60), QStringLiteral("x"), false);  // user-perceived characters
    EXPECT_EQ(store.entries().size(), 2);
}

TEST_F(SnippetStoreTest, TriggersAreTidiedAndDuplicatesNamed)
{
    SnippetStore store(path);
    const Snippet first = store.add(QStringLiteral("  My  Address\n"), QStringLiteral("1 Main St\n  Town"), true);
    EXPECT_EQ(first.trigger, QStringLiteral("My Address"));
    EXPECT_EQ(first.text, QStringLiteral("1 Main St\n  Town"));
    try {
        store.add(QStringLiteral("my address!"), QStringLiteral("x"), false);
        FAIL() << "a duplicate was accepted";
    } catch (const SnippetError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("You already have a snippet for \u201CMy Address\u201D."));
    }
    Snippet changed = first;
    changed.text = QStringLiteral("2 High St");
    store.update(changed);  // its own trigger is no duplicate
    ASSERT_TRUE(allSaved(store));
    EXPECT_EQ(SnippetStore(path).entries().front().text, QStringLiteral("2 High St"));

    const Snippet second = store.add(QStringLiteral("sig"), QStringLiteral("Regards"), false);
    changed = second;
    changed.trigger = QStringLiteral("MY ADDRESS");
    EXPECT_THROW(store.update(changed), SnippetError);
    EXPECT_EQ(store.entries().back(), second);
}

TEST_F(SnippetStoreTest, ExpansionFollowsTheWordRules)
{
    SnippetStore store(path);
    store.add(QStringLiteral("my address"), QStringLiteral("1 Main St"), true);
    store.add(QStringLiteral("my address book"), QStringLiteral("BOOK"), false);
    store.add(QStringLiteral("e mail"), QStringLiteral("EMAIL"), true);
    store.add(QStringLiteral("mail"), QStringLiteral("MAIL"), true);
    // Arabic kaf and Persian digits match the Farsi-keheh, ASCII-digit form.
    store.add(QStringLiteral("\u0643\u062F \u06F1\u06F2"), QStringLiteral("CODE-12"), false);
    for (const QString& unmatched : {QString(), QStringLiteral("  \n "), QStringLiteral("my email")})
        EXPECT_FALSE(store.expand(unmatched)) << qPrintable(unmatched);

    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Send my address, please."), QStringLiteral("Send 1 Main St, please.")},
        {QStringLiteral("my address book"), QStringLiteral("BOOK")},
        {QStringLiteral("my e-mail"), QStringLiteral("my EMAIL")},
        {QStringLiteral("\u2014 my address"), QStringLiteral("\u2014 1 Main St")},
        {QStringLiteral("my \u2014 address"), QStringLiteral("1 Main St")},
        {QStringLiteral("  one\ntwo  \t my address  "), QStringLiteral("one two 1 Main St")},
        {QStringLiteral("(My Address) and mail."), QStringLiteral("(1 Main St) and MAIL.")},
        {QStringLiteral("mail my address mail"), QStringLiteral("MAIL 1 Main St MAIL")},
        {QStringLiteral("\u0627\u06CC\u0646 \u06A9\u062F\u0640 \u0661\u0662\u061F"),
         QStringLiteral("\u0627\u06CC\u0646 CODE-12\u061F")},
    };
    for (const auto& [spoken, expected] : cases) {
        const auto expansion = store.expand(spoken);
        ASSERT_TRUE(expansion) << qPrintable(spoken);
        EXPECT_EQ(expansion->text, expected);
    }
    EXPECT_TRUE(store.expand(QStringLiteral("my address"))->keepsExactly());
    EXPECT_FALSE(store.expand(QStringLiteral("my address book"))->keepsExactly());
    EXPECT_EQ(store.expand(QStringLiteral("mail my address mail"))->snippets.size(), 3);
}

TEST_F(SnippetStoreTest, AnUndecodableFileIsKeptAsideNotOverwritten)
{
    const QString side = dir.filePath(QStringLiteral("snippets.unreadable.json"));
    const QList<QByteArray> broken = {
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","text":"A"}])",  // no "exact"
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","text":"A","exact":1}])",  // wrong type
        R"([{"id":"{0F0E0D0C-0B0A-4908-8706-050403020100}","trigger":"a","text":"A","exact":true}])",
        R"([{"id":"0F0E0D0C-0B0A-4908-8706-050403020100","trigger":"a","te)",  // truncated
        R"({"snippets":[]})",
    };
    for (const QByteArray& bytes : broken) {
        QFile::remove(side);
        writeFile(path, bytes);
        SnippetStore store(path);
        EXPECT_TRUE(store.entries().isEmpty()) << bytes.constData();
        store.add(QStringLiteral("new"), QStringLiteral("N"), false);
        ASSERT_TRUE(allSaved(store));
        EXPECT_EQ(SnippetStore(path).entries().size(), 1);
        EXPECT_EQ(readFile(side), bytes) << "the next save leaves the user's file alone";
    }

    QFile::remove(side);
    writeFile(path, QByteArray());
    EXPECT_TRUE(SnippetStore(path).entries().isEmpty());
    EXPECT_TRUE(QFile::exists(path) && !QFile::exists(side)) << "an empty file is left in place";
}

// A change made here that the list saved by another instance meanwhile leaves out says what became
// of it there: another snippet for the phrase kept, the snippet deleted, or the list filled.
TEST_F(SnippetStoreTest, AChangeLeftOutByAnotherInstanceSaysWhatHappenedThere)
{
    const auto other = [](const QString& trigger) {
        return Snippet{QUuid::createUuid(), trigger, QStringLiteral("theirs"), false};
    };
    struct Case {
        QList<Snippet> savedThere;
        std::function<void(SnippetStore&)> change;
        QString told;
    };
    QList<Snippet> full;
    for (int n = 0; n < SnippetStore::maxEntries; ++n)
        full.append(other(QStringLiteral("phrase %1").arg(n)));
    const Case cases[] = {
        {{other(QStringLiteral("My Address"))},
         [](SnippetStore& store) { store.add(QStringLiteral("my address"), QStringLiteral("mine"), false); },
         QStringLiteral("A snippet for \u201Cmy address\u201D was saved on another display at the same time; the "
                        "list keeps that one, not yours.")},
        {{},
         [](SnippetStore& store) {
             Snippet edited = store.entries().first();
             edited.text = QStringLiteral("0124");
             store.update(edited);
         },
         QStringLiteral("The snippet for \u201Cmy phone\u201D was deleted on another display at the same time, so "
                        "your change to it wasn\u2019t kept.")},
        {full, [](SnippetStore& store) { store.add(QStringLiteral("my email"), QStringLiteral("me@x"), false); },
         QStringLiteral("The list filled up on another display at the same time, so your snippet for \u201Cmy "
                        "email\u201D wasn\u2019t added. Remove a snippet to add another.")},
    };
    for (const Case& c : cases) {
        QFile::remove(path);
        SnippetStore store(path);
        store.add(QStringLiteral("my phone"), QStringLiteral("0123"), false);
        ASSERT_TRUE(allSaved(store));
        // The other instance's list, saved as it saves: whole, by replacing the file, before this
        // one has seen it.
        ASSERT_FALSE(writeFileAtomically(path, SnippetStore::encodeFile(c.savedThere)));
        c.change(store);
        EXPECT_TRUE(allSaved(store));
        EXPECT_EQ(store.lostChange().toStdString(), c.told.toStdString());
    }
}
