#include "Core/StoredFile.h"
#include "LogLines.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Content is good when it starts with "ok".
std::optional<QByteArray> decode(const QByteArray& bytes)
{
    return bytes.startsWith("ok") ? std::optional(bytes) : std::nullopt;
}

}

TEST(StoredFile, EachDamagedFileIsKeptUnderANameOfItsOwn)
{
    QTemporaryDir dir;
    LogLines log;
    const QString path = dir.filePath(QStringLiteral("snippets.json"));
    const QList<QByteArray> damaged = {"first damage", "second damage", "third damage"};
    const QStringList names = {"snippets.unreadable.json", "snippets.unreadable-2.json", "snippets.unreadable-3.json"};
    for (const QByteArray& bytes : damaged) {
        writeFile(path, bytes);
        StoredFile file(path, QStringLiteral("snippets"), QStringLiteral("the snippets"));
        EXPECT_EQ(file.read(decode), std::nullopt);
        EXPECT_FALSE(file.blocked());
        EXPECT_EQ(file.write("ok new"), std::nullopt);
    }
    for (qsizetype index = 0; index < damaged.size(); ++index)
        EXPECT_EQ(readFile(dir.filePath(names[index])), damaged[index]) << qPrintable(names[index]);
    EXPECT_TRUE(log.mentions(QStringLiteral("snippets file unreadable; kept as snippets.unreadable-3.json")));

    writeFile(path, "fourth damage");
    StoredFile file(path, QStringLiteral("snippets"), QStringLiteral("the snippets"));
    file.read(decode);
    EXPECT_EQ(file.problem(), QStringLiteral("The old file was damaged and kept aside as snippets.unreadable-4.json."));
}

TEST(StoredFile, AFileThatCantBeReadIsNeverWritten)
{
    QTemporaryDir dir;
    // Root reads past any permission bits; a folder in the file's place it can't read as a file.
    const QString path = dir.filePath(QStringLiteral("vocabulary.json"));
    writeFile(path + QStringLiteral("/inside"), "the user's");
    StoredFile file(path, QStringLiteral("vocabulary"), QStringLiteral("the vocabulary"));
    EXPECT_EQ(file.read(decode), std::nullopt);
    EXPECT_TRUE(file.blocked());
    const auto refused = file.write("ok new");
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(*refused, QStringLiteral("Couldn\u2019t read vocabulary.json: Is a directory. Nothing is saved to it "
                                       "until it can be read."));
    EXPECT_EQ(file.problem(), *refused);
    EXPECT_EQ(readFile(path + QStringLiteral("/inside")), QByteArray("the user's"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("vocabulary.unreadable.json"))));

    // An input/output error while reading counts the same.
    StoredFile failing(QStringLiteral("/proc/self/mem"), QStringLiteral("stats"), QStringLiteral("the usage counts"));
    EXPECT_EQ(failing.read(decode), std::nullopt);
    EXPECT_TRUE(failing.blocked());
    EXPECT_TRUE(failing.problem().contains(QStringLiteral("Input/output error"))) << failing.problem().toStdString();
}
