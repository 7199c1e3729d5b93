// The model folder's layout, install records and checksums, on the test process's private
// data folder.

#include "Core/Error.h"
#include "Core/Settings.h"
#include "Models/InstallRecord.h"
#include "Models/ModelStore.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class ModelStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings::shared().remove(QStringLiteral("modelFamily"));
        QDir(ModelStore::root()).removeRecursively();
    }
    void TearDown() override { Settings::shared().remove(QStringLiteral("modelFamily")); }

    // A package folder with two files and a record listing them with their true sizes.
    QString installFast()
    {
        const QString folder = ModelStore::directory(ModelPackage::fast);
        writeFile(folder + QStringLiteral("/encoder.onnx"), "encoder");
        writeFile(folder + QStringLiteral("/tokens.txt"), "tokens 1\n");
        InstallRecord record{QStringLiteral("320ms"),
                             QStringLiteral("test"),
                             QDateTime::currentDateTimeUtc(),
                             {{QStringLiteral("encoder.onnx"), 7, QString(64, u'0')},
                              {QStringLiteral("tokens.txt"), 9, QString(64, u'0')}}};
        writeFile(folder + QStringLiteral("/.installed.json"), record.encoded());
        return folder;
    }

    ScopedEnvironment noOverride{"QUILLMARSH_MODEL_DIR", std::nullopt};
    ScopedEnvironment noFamily{"QUILLMARSH_MODEL_FAMILY", std::nullopt};
};

}

TEST_F(ModelStoreTest, FoldersFollowTheFamilyOrTheOverride)
{
    const QString root = ModelStore::root();
    EXPECT_EQ(root, qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Quillmarsh/Models"));
    EXPECT_EQ(ModelStore::staging(ModelPackage::accurate), root + QStringLiteral("/.staging/v1-1120ms"));

    Settings::shared().setValue(QStringLiteral("modelFamily"), QStringLiteral("v2_1"));
    EXPECT_EQ(ModelStore::directory(ModelPackage::accurate), root + QStringLiteral("/1120ms"));
    EXPECT_EQ(ModelStore::staging(ModelPackage::fast), root + QStringLiteral("/.staging/320ms"));
    Settings::shared().remove(QStringLiteral("modelFamily"));

    // An override names every package folder, but not the staging one.
    ScopedEnvironment overrideDir("QUILLMARSH_MODEL_DIR", QStringLiteral("~/m"));
    EXPECT_EQ(ModelStore::directory(ModelPackage::accurate), QDir::homePath() + QStringLiteral("/m"));
    EXPECT_EQ(ModelStore::staging(ModelPackage::fast), ModelStore::root() + QStringLiteral("/.staging/v1-320ms"));
    EXPECT_TRUE(ModelStore::isInstalled(ModelPackage::fast)) << "an override counts as installed, even missing";

    ScopedEnvironment empty("QUILLMARSH_MODEL_DIR", QString());
    EXPECT_EQ(ModelStore::overrideDir(), std::nullopt);
    EXPECT_EQ(ModelStore::directory(ModelPackage::fast), ModelStore::root() + QStringLiteral("/v1-320ms"));
    EXPECT_FALSE(ModelStore::isInstalled(ModelPackage::fast));
}

TEST_F(ModelStoreTest, InstalledWhenEveryRecordedFileHasItsSize)
{
    const QString folder = installFast();
    EXPECT_TRUE(ModelStore::isInstalled(ModelPackage::fast));
    EXPECT_FALSE(ModelStore::isInstalled(ModelPackage::accurate));

    writeFile(folder + QStringLiteral("/extra.bin"), "unlisted");
    EXPECT_TRUE(ModelStore::isInstalled(ModelPackage::fast)) << "unlisted files don't matter";

    writeFile(folder + QStringLiteral("/tokens.txt"), "tokens 1");
    EXPECT_FALSE(ModelStore::isInstalled(ModelPackage::fast)) << "one byte short";

    writeFile(folder + QStringLiteral("/tokens.txt"), "tokens 1\n");
    QFile::remove(folder + QStringLiteral("/encoder.onnx"));
    EXPECT_FALSE(ModelStore::isInstalled(ModelPackage::fast)) << "a listed file is missing";

    Settings::shared().setValue(QStringLiteral("modelFamily"), QStringLiteral("v2_1"));
    EXPECT_FALSE(ModelStore::isInstalled(ModelPackage::fast)) << "the other family's folder is empty";
}

TEST_F(ModelStoreTest, RecordsThatDontDecodeReadAsNotInstalled)
{
    const QString recordPath = ModelStore::directory(ModelPackage::fast) + QStringLiteral("/.installed.json");
    const auto installedWith = [&](const QByteArray& json) {
        writeFile(recordPath, json);
        return ModelStore::isInstalled(ModelPackage::fast);
    };
    EXPECT_TRUE(installedWith(R"({"package":"320ms","source":"s","installedAt":1.5,"files":[],"more":1})"));
    // No installedAt, installedAt not a number, size as a string or a fraction, no sha256, cut short, no object.
    for (const char* broken :
         {R"({"package":"320ms","source":"s","files":[]})",
          R"({"package":"320ms","source":"s","installedAt":"x","files":[]})",
          R"({"package":"320ms","source":"s","installedAt":1,"files":[{"name":"a","size":"0","sha256":""}]})",
          R"({"package":"320ms","source":"s","installedAt":1,"files":[{"name":"a","size":0.5,"sha256":""}]})",
          R"({"package":"320ms","source":"s","installedAt":1,"files":[{"name":"a","size":0}]})",
          R"({"package":"320ms","source":"s","installedAt":1,"files":[)", "[]"})
        EXPECT_FALSE(installedWith(broken)) << broken;
}

TEST_F(ModelStoreTest, RemoveDeletesPackageAndStagingAndToleratesAbsence)
{
    EXPECT_NO_THROW(ModelStore::remove(ModelPackage::fast));

    const QString folder = installFast();
    writeFile(ModelStore::staging(ModelPackage::fast) + QStringLiteral("/part"), "x");
    writeFile(ModelStore::directory(ModelPackage::accurate) + QStringLiteral("/keep"), "x");
    ModelStore::remove(ModelPackage::fast);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(QFileInfo::exists(ModelStore::staging(ModelPackage::fast)));
    EXPECT_TRUE(QFileInfo::exists(ModelStore::directory(ModelPackage::accurate) + QStringLiteral("/keep")));
}
