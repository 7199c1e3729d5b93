#include "Core/AppFolders.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

// The three folders in a temporary home of each test's own.
class AppFoldersTest : public ::testing::Test {
protected:
    QTemporaryDir home_;
    ScopedEnvironment data_{"XDG_DATA_HOME", home_.filePath(QStringLiteral("data"))};
    ScopedEnvironment config_{"XDG_CONFIG_HOME", home_.filePath(QStringLiteral("config"))};
    ScopedEnvironment state_{"XDG_STATE_HOME", home_.filePath(QStringLiteral("state"))};
};

}

TEST_F(AppFoldersTest, FoldersMadeOpenBeforeAreNarrowedToTheUser)
{
    ASSERT_TRUE(QDir().mkpath(AppFolders::data()));
    setMode(home_.filePath(QStringLiteral("data")), 0755);
    setMode(AppFolders::data(), 0755);
    AppFolders::keepPrivate();
    EXPECT_EQ(modeOf(AppFolders::data()), 0700u);
    EXPECT_EQ(modeOf(home_.filePath(QStringLiteral("data"))), 0755u) << "the folder above is not ours";
    EXPECT_FALSE(QFileInfo::exists(AppFolders::state())) << "a missing folder is not made";
}

TEST_F(AppFoldersTest, NarrowingNeverWidens)
{
    // Folders the user made read-only stay read-only.
    ASSERT_TRUE(QDir().mkpath(AppFolders::config()));
    ASSERT_TRUE(QDir().mkpath(AppFolders::data()));
    setMode(AppFolders::config(), 0500);
    setMode(AppFolders::data(), 0555);
    AppFolders::keepPrivate();
    EXPECT_EQ(modeOf(AppFolders::config()), 0500u);
    EXPECT_EQ(modeOf(AppFolders::data()), 0500u);
}
