#include "Core/AtomicFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AtomicFile, WritesReplacesAndLeavesNoTemporaryBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/history.json"));
    ASSERT_EQ(writeFileAtomically(path, "[1]"), std::nullopt) << "the missing folder is created";
    ASSERT_EQ(writeFileAtomically(path, "[1,2]"), std::nullopt);
    EXPECT_EQ(readFile(path), QByteArray("[1,2]"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("sub"))).entryList(QDir::Files),
              QStringList{QStringLiteral("history.json")});
}

TEST(AtomicFile, PrivateFilesAreOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("private.json"));
    ASSERT_EQ(writeFileAtomically(path, "{}", FileAccess::privateToUser), std::nullopt);
    EXPECT_EQ(modeOf(path), 0600u);

    const mode_t mask = ::umask(022);
    const QString standard = dir.filePath(QStringLiteral("standard.json"));
    ASSERT_EQ(writeFileAtomically(standard, "{}"), std::nullopt);
    ::umask(mask);
    EXPECT_EQ(modeOf(standard), 0644u);
}

TEST(AtomicFile, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stats.json"));
    ASSERT_EQ(writeFileAtomically(path, "old"), std::nullopt);
    // A path whose folder is a file can't be written.
    const auto failure = writeFileAtomically(path + QStringLiteral("/inner.json"), "new");
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("old"));
}
