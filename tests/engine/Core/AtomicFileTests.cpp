#include "Core/AtomicFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST(AtomicFile, FilesAndTheFoldersMadeForThemAreOwnerOnly)
{
    QTemporaryDir dir;
    const mode_t mask = ::umask(0);
    const QString path = dir.filePath(QStringLiteral("made/for/it/private.json"));
    const auto failure = writeFileAtomically(path, "{}");
    ::umask(mask);
    ASSERT_EQ(failure, std::nullopt);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("made"))), 0700u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("made/for/it"))), 0700u);
    EXPECT_EQ(modeOf(dir.path()), 0700u) << "an existing folder keeps its permissions";
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
