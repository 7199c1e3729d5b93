#include "Core/AppFolders.h"
#include "Core/AtomicFile.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST(AppFolders, FoldersMadeOpenBeforeAreNarrowedToTheUser)
{
    QTemporaryDir dir;
    ScopedEnvironment data("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")));
    ScopedEnvironment state("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")));
    ASSERT_TRUE(QDir().mkpath(AppFolders::data()));
    for (const QString& folder : {dir.filePath(QStringLiteral("data")), AppFolders::data()})
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    AppFolders::keepPrivate();
    EXPECT_EQ(modeOf(AppFolders::data()), 0700u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("data"))), 0755u) << "the folder above is not ours";
    EXPECT_FALSE(QFileInfo::exists(AppFolders::state())) << "a missing folder is not made";

    // Narrowing never widens: a folder the user made read-only stays read-only.
    ScopedEnvironment config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(QDir().mkpath(AppFolders::config()));
    ::chmod(QFile::encodeName(AppFolders::config()).constData(), 0500);
    ::chmod(QFile::encodeName(AppFolders::data()).constData(), 0555);
    AppFolders::keepPrivate();
    EXPECT_EQ(modeOf(AppFolders::config()), 0500u);
    EXPECT_EQ(modeOf(AppFolders::data()), 0500u);
}
