// Which model folder and settings the recogniser is made from.

#include "Core/Settings.h"
#include "Models/InstallRecord.h"
#include "Models/ModelFamily.h"
#include "Models/ModelStore.h"
#include "Recognition/RecognizerConfig.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class RecognizerConfigTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings::shared().remove(QStringLiteral("modelFamily"));
        QDir(ModelStore::root()).removeRecursively();
    }
    void TearDown() override { Settings::shared().remove(QStringLiteral("modelFamily")); }

    static void install(ModelPackage package)
    {
        writeFile(
            ModelStore::directory(package) + QStringLiteral("/.installed.json"),
            InstallRecord{package.rawValue(), QStringLiteral("test"), QDateTime::currentDateTimeUtc(), {}}.encoded());
    }

    ScopedEnvironment noDir{"QUILLMARSH_MODEL_DIR", std::nullopt};
    ScopedEnvironment noFamily{"QUILLMARSH_MODEL_FAMILY", std::nullopt};
    ScopedEnvironment noThreads{"QUILLMARSH_THREADS", std::nullopt};
    ScopedEnvironment noTail{"QUILLMARSH_TAIL_SECONDS", std::nullopt};
};

}

TEST_F(RecognizerConfigTest, FolderFallsBackFromOverrideToStoreToDeveloperFolder)
{
    const RecognizerConfig fallback(ModelPackage::fast);
    EXPECT_EQ(fallback.modelDir, QDir::homePath() + QStringLiteral("/quillmarsh-models/sherpa_onnx_v1/320ms"));
    EXPECT_DOUBLE_EQ(fallback.tailSeconds, 0.8);

    install(ModelPackage::fast);
    const RecognizerConfig v1(ModelPackage::fast);
    EXPECT_EQ(v1.modelDir, ModelStore::root() + QStringLiteral("/v1-320ms"));
    EXPECT_DOUBLE_EQ(v1.tailSeconds, 2.0) << "the v1 store folder isn't named 320ms";

    Settings::shared().setValue(QStringLiteral("modelFamily"), QStringLiteral("v2_1"));
    EXPECT_EQ(RecognizerConfig(ModelPackage::fast).modelDir,
              QDir::homePath() + QStringLiteral("/quillmarsh-models/sherpa_onnx_v2_1/320ms"));
    install(ModelPackage::fast);
    const RecognizerConfig v21(ModelPackage::fast);
    EXPECT_EQ(v21.modelDir, ModelStore::root() + QStringLiteral("/320ms"));
    EXPECT_DOUBLE_EQ(v21.tailSeconds, 0.8);

    ScopedEnvironment dir("QUILLMARSH_MODEL_DIR", QStringLiteral("~/models/320ms"));
    EXPECT_EQ(RecognizerConfig(ModelPackage::accurate).modelDir, QDir::homePath() + QStringLiteral("/models/320ms"));
    EXPECT_DOUBLE_EQ(RecognizerConfig(ModelPackage::accurate).tailSeconds, 0.8);
    ScopedEnvironment other("QUILLMARSH_MODEL_DIR", QStringLiteral("/models/1120ms/"));
    EXPECT_DOUBLE_EQ(RecognizerConfig(ModelPackage::fast).tailSeconds, 2.0);
}

// Anything else falls back: 2 threads, and the folder's tail (0.8 s for a 320ms folder).
TEST_F(RecognizerConfigTest, ThreadsOnlyFromWholePositiveNumbersAndTailOnlyFromFiniteNumbersInRange)
{
    for (const auto& [value, threads] : {std::pair{"4", 4},
                                         {"+3", 3},
                                         {"64", 64},
                                         {"0", 2},
                                         {"-2", 2},
                                         {"", 2},
                                         {"four", 2},
                                         {"4.0", 2},
                                         {" 4", 2},
                                         {"65", 2},
                                         {"2147483647", 2},
                                         {"2147483648", 2}}) {
        ScopedEnvironment environment("QUILLMARSH_THREADS", QString::fromLatin1(value));
        EXPECT_EQ(RecognizerConfig(QStringLiteral("/m")).threads, threads) << value;
    }
    for (const auto& [value, tail] : {std::pair{"1.5", 1.5},
                                      {"0", 0.0},
                                      {"60", 60.0},
                                      {"long", 0.8},
                                      {"nan", 0.8},
                                      {"inf", 0.8},
                                      {"-inf", 0.8},
                                      {"1e30", 0.8},
                                      {"-1", 0.8},
                                      {"60.5", 0.8},
                                      {"", 0.8}}) {
        ScopedEnvironment environment("QUILLMARSH_TAIL_SECONDS", QString::fromLatin1(value));
        EXPECT_DOUBLE_EQ(RecognizerConfig(QStringLiteral("/m/320ms")).tailSeconds, tail) << value;
    }
    ScopedEnvironment environment("QUILLMARSH_TAIL_SECONDS", QStringLiteral("1.5"));
    EXPECT_DOUBLE_EQ(RecognizerConfig(QStringLiteral("/m/other")).tailSeconds, 1.5);
}
