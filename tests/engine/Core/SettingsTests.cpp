#include "Core/Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Settings, LookupTakesEnvironmentThenUserThenBuiltIn)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("settings.conf")));
    Settings::setBuiltIn({{QStringLiteral("QuillmarshServerURL"), QStringLiteral("wss://built.in")}});
    ScopedEnvironment unset("QUILLMARSH_CLOUD_URL", std::nullopt);

    const auto lookup = [&] {
        return settings.lookup("QUILLMARSH_CLOUD_URL", QStringLiteral("cloudURL"),
                               QStringLiteral("QuillmarshServerURL"));
    };
    EXPECT_EQ(lookup(), QStringLiteral("wss://built.in"));

    settings.setValue(QStringLiteral("cloudURL"), QString());
    EXPECT_EQ(lookup(), QStringLiteral("wss://built.in")) << "an empty user value doesn't count";

    settings.setValue(QStringLiteral("cloudURL"), QStringLiteral("wss://user"));
    EXPECT_EQ(lookup(), QStringLiteral("wss://user"));

    {
        ScopedEnvironment empty("QUILLMARSH_CLOUD_URL", QString());
        EXPECT_EQ(lookup(), QStringLiteral("wss://user")) << "an empty variable doesn't count";
    }
    ScopedEnvironment set("QUILLMARSH_CLOUD_URL", QStringLiteral("wss://env"));
    EXPECT_EQ(lookup(), QStringLiteral("wss://env"));

    Settings::setBuiltIn({});
    settings.remove(QStringLiteral("cloudURL"));
    ScopedEnvironment unsetAgain("QUILLMARSH_CLOUD_URL", std::nullopt);
    EXPECT_EQ(lookup(), std::nullopt);
}

TEST(Environment, ExpandsALeadingTildeOnly)
{
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("~/models")), QDir::homePath() + QStringLiteral("/models"));
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("~")), QDir::homePath());
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("/a/~/b")), QStringLiteral("/a/~/b"));
}
