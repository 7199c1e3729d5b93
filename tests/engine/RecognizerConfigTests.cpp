// Which model folder and settings the recogniser is made from.

#include "InstallRecord.h"
#include "ModelFamily.h"
#include "ModelStore.h"
#include "RecognizerConfig.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

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
        const QString folder = ModelStore::directory(package);
        QDir().mkpath(folder);
        QFile record(folder + QStringLiteral("/.installed.json"));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly));
        record.write(InstallRecord{package.rawValue(), QStringLiteral("test"), QDateTime::currentDateTimeUtc(), {}}.encoded());
    }

    ScopedEnvironment noDir{"QUILLMARSH_MODEL_DIR", std::nullopt};
    ScopedEnvironment noFamily{"QUILLMARSH_MODEL_FAMILY", std::nullopt};
    ScopedEnvironment noThreads{"QUILLMARSH_THREADS", std::nullopt};
    ScopedEnvironment noTail{"QUILLMARSH_TAIL_SECONDS", std::nullopt};
};

}

TEST(ModelNames, PackagesAndFamilies)
{
    EXPECT_EQ(ModelPackage(ModelPackage::accurate).title(), QStringLiteral("1.12 s \u00B7 more accurate"));
    EXPECT_EQ(ModelPackage(ModelPackage::fast).title(), QStringLiteral("0.32 s \u00B7 faster text"));
    EXPECT_EQ(ModelPackage::fromRawValue(QStringLiteral("320ms")), ModelPackage(ModelPackage::fast));
    EXPECT_EQ(ModelPackage::fromRawValue(QStringLiteral("320")), std::nullopt);
    EXPECT_EQ(ModelFamily::fromRawValue(QStringLiteral("v2_1")), ModelFamily(ModelFamily::v2_1));
    EXPECT_EQ(ModelFamily::fromRawValue(QStringLiteral("V2_1")), std::nullopt);
    EXPECT_TRUE(ModelFamily(ModelFamily::v2_1).understandsEnglish());
    EXPECT_FALSE(ModelFamily(ModelFamily::v1).understandsEnglish());
}

TEST_F(RecognizerConfigTest, FamilyFromEnvironmentThenUserSetting)
{
    EXPECT_EQ(ModelFamily::current(), ModelFamily::v1);
    Settings::shared().setValue(QStringLiteral("modelFamily"), QStringLiteral("v2_1"));
    EXPECT_EQ(ModelFamily::current(), ModelFamily::v2_1);
    {
        ScopedEnvironment family("QUILLMARSH_MODEL_FAMILY", QStringLiteral("v1"));
        EXPECT_EQ(ModelFamily::current(), ModelFamily::v1) << "the environment wins over the user setting";
    }
    {
        ScopedEnvironment family("QUILLMARSH_MODEL_FAMILY", QStringLiteral("V2_1"));
        EXPECT_EQ(ModelFamily::current(), ModelFamily::v1) << "only the exact text selects v2_1";
    }
    Settings::shared().setValue(QStringLiteral("modelFamily"), QStringLiteral("v3"));
    EXPECT_EQ(ModelFamily::current(), ModelFamily::v1);
}

TEST_F(RecognizerConfigTest, FolderFallsBackFromOverrideToStoreToDeveloperFolder)
{
    const RecognizerConfig fallback(ModelPackage::fast);
    EXPECT_EQ(fallback.modelDir, QDir::homePath() + QStringLiteral("/quillmarsh-models/sherpa_onnx_v1/320ms"));
    EXPECT_DOUBLE_EQ(fallback.tailSeconds, 0.8);
    EXPECT_EQ(fallback.threads, 2);
    EXPECT_EQ(fallback.provider, QStringLiteral("cpu"));
    EXPECT_EQ(fallback.language, QStringLiteral("fa-IR"));
    EXPECT_EQ(RecognizerConfig::defaultModelDir(), fallback.modelDir);

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

TEST_F(RecognizerConfigTest, ThreadsOnlyFromWholePositiveNumbers)
{
    const auto threadsFor = [](const char* value) {
        ScopedEnvironment threads("QUILLMARSH_THREADS", QString::fromLatin1(value));
        return RecognizerConfig(QStringLiteral("/m")).threads;
    };
    EXPECT_EQ(threadsFor("4"), 4);
    EXPECT_EQ(threadsFor("+3"), 3);
    for (const char* ignored : {"0", "-2", "", "four", "4.0", " 4", "2147483648"})
        EXPECT_EQ(threadsFor(ignored), 2) << ignored;
}

TEST_F(RecognizerConfigTest, TailOnlyFromFiniteNumbersInRange)
{
    const auto tailFor = [](const char* value, const QString& folder = QStringLiteral("/m/320ms")) {
        ScopedEnvironment tail("QUILLMARSH_TAIL_SECONDS", QString::fromLatin1(value));
        return RecognizerConfig(folder).tailSeconds;
    };
    EXPECT_DOUBLE_EQ(tailFor("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(tailFor("1.5", QStringLiteral("/m/other")), 1.5);
    EXPECT_DOUBLE_EQ(tailFor("0"), 0.0);
    EXPECT_DOUBLE_EQ(tailFor("60"), 60.0);
    for (const char* refused : {"long", "nan", "inf", "-inf", "1e30", "-1", "60.5", ""})
        EXPECT_DOUBLE_EQ(tailFor(refused), 0.8) << refused;
}
