// The error texts, the manifest format, the source choice and the local copy source.

#include "Core/Settings.h"
#include "ModelFileHelpers.h"
#include "Models/LocalCopySource.h"
#include "Models/ModelDownload.h"
#include "Models/ModelInstallError.h"
#include "Models/ModelManifest.h"
#include "Models/ModelStore.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ModelFileNameTest, OnlyOnePlainComponentPasses)
{
    EXPECT_TRUE(isPlainFileName(QStringLiteral("encoder.onnx")));
    EXPECT_TRUE(isPlainFileName(QStringLiteral(".hidden")));
    for (const char* bad : {"", ".", "..", "../x", "a/b", "/etc/passwd", "a\\b", "..\\x"})
        EXPECT_FALSE(isPlainFileName(QString::fromLatin1(bad))) << bad;
}

const char* const validManifest = R"({
  "schema": 1, "extra": true,
  "families": {"v1": {"packages": {"320ms": {"files": [
     {"name": "tokens.txt", "size": 5, "sha256": "abc", "blob": "b/t", "more": 1}]}}},
   "v9": {"packages": {}}},
  "punctuation": {"files": [{"name": "model.onnx", "size": 0, "sha256": "d", "blob": "p/m"}]}
})";

TEST(ModelManifestTest, DecodesTheFormatAndIgnoresUnknownKeys)
{
    const std::optional<ModelManifest> manifest = ModelManifest::decoded(validManifest);
    ASSERT_TRUE(manifest);
    const ModelManifest::File file =
        manifest->families.value(QStringLiteral("v1")).packages.value(QStringLiteral("320ms")).files.at(0);
    EXPECT_EQ(QStringList({file.name, QString::number(file.size), file.sha256, file.blob}),
              QStringList({"tokens.txt", "5", "abc", "b/t"}));
    ASSERT_TRUE(manifest->punctuation);
    EXPECT_EQ(manifest->punctuation->files.size(), 1u);
    EXPECT_FALSE(ModelManifest::decoded(R"({"schema": 1, "families": {}})")->punctuation);
}

TEST(ModelManifestTest, RefusesMissingOrMistypedRequiredKeys)
{
    const QByteArray file = R"({"name": "a", "size": 1, "sha256": "s", "blob": "b"})";
    const auto withFile = [](const QByteArray& entry) {
        return R"({"schema": 1, "families": {"v1": {"packages": {"320ms": {"files": [)" + entry + "]}}}}}";
    };
    ASSERT_TRUE(ModelManifest::decoded(withFile(file)));
    // Without a digest the whole list is unreadable.
    for (const char* broken :
         {R"({"name": "a", "size": 1, "blob": "b"})", R"({"name": "a", "size": "1", "sha256": "s", "blob": "b"})",
          R"({"name": "a", "size": 1.5, "sha256": "s", "blob": "b"})",
          R"({"name": "a", "size": -1, "sha256": "s", "blob": "b"})", R"({"size": 1, "sha256": "s", "blob": "b"})",
          R"({"name": "a", "size": 1, "sha256": "s"})", R"("a")"})
        EXPECT_FALSE(ModelManifest::decoded(withFile(broken))) << broken;
    for (const char* broken :
         {"", "[]", "{", R"({"families": {}})", R"({"schema": "1", "families": {}})", R"({"schema": 1})",
          R"({"schema": 1, "families": {"v1": {}}})", R"({"schema": 1, "families": {}, "punctuation": {"files": 3}})"})
        EXPECT_FALSE(ModelManifest::decoded(broken)) << broken;
}

TEST(ModelDownloadsTest, BaseAddressAndSourceChoice)
{
    {
        ScopedEnvironment url("QUILLMARSH_MODELS_URL", QStringLiteral("http://127.0.0.1:9/models/"));
        EXPECT_EQ(ModelDownloads::base(), QUrl(QStringLiteral("http://127.0.0.1:9/models/")));
        ScopedEnvironment source("QUILLMARSH_MODEL_SOURCE", QString());
        EXPECT_TRUE(dynamic_cast<LocalCopySource*>(ModelDownloads::source(ModelFamily::v1).get())) << "set, even empty";
    }
    ScopedEnvironment source("QUILLMARSH_MODEL_SOURCE", std::nullopt);
    ScopedEnvironment url("QUILLMARSH_MODELS_URL", QString());
    EXPECT_EQ(ModelDownloads::base(), ModelDownloads::defaultBase());
    EXPECT_TRUE(dynamic_cast<LocalCopySource*>(ModelDownloads::source(ModelFamily::v2_1).get()));
    EXPECT_EQ(ModelDownloads::source(ModelFamily::v1)->name(),
              QStringLiteral("download (") + ModelDownloads::defaultBase().host() + u')');
}

class LocalCopySourceTest : public testing::Test {
protected:
    void writeSourceFile(const QString& name, const QByteArray& bytes)
    {
        writeFile(root + QStringLiteral("/320ms/") + name, bytes);
    }

    QTemporaryDir folder;
    QString root = folder.path();
    QString destination = root + QStringLiteral("/encoder.onnx");
    std::vector<qint64> reported;
    ModelSource::Progress progress = [this](qint64 bytes) { reported.push_back(bytes); };
    ModelSource::Cancelled never = [] { return false; };
};

TEST_F(LocalCopySourceTest, ListsTheRequiredFilesInOrderWithTheirSizes)
{
    for (const QString& name : ModelStore::requiredFiles())
        writeSourceFile(name, QByteArray(name.size(), 'x'));
    writeSourceFile(QStringLiteral("LICENSE"), "l");
    LocalCopySource source(root);
    EXPECT_EQ(source.name(), QStringLiteral("local copy (") + root + u')');
    const std::vector<ModelFile> files = source.files(ModelPackage::fast, never);
    ASSERT_EQ(files.size(), 6u);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(files[i], (ModelFile{ModelStore::requiredFiles()[qsizetype(i)],
                                       ModelStore::requiredFiles()[qsizetype(i)].size(), std::nullopt}));

    QFile::remove(root + QStringLiteral("/320ms/tokens.txt"));
    QFile::remove(root + QStringLiteral("/320ms/bpe.vocab"));
    EXPECT_EQ(installErrorOf([&] { source.files(ModelPackage::fast, never); }),
              ModelInstallError::sourceMissing(root + QStringLiteral("/320ms/tokens.txt")));
}

TEST_F(LocalCopySourceTest, CopiesInChunksAndReturnsTheDigest)
{
    const qint64 chunk = 8 * 1024 * 1024;
    const QByteArray bytes = patternBytes(2 * chunk + 123);
    writeSourceFile(QStringLiteral("encoder.onnx"), bytes);
    LocalCopySource source(root);
    const ModelFile file{QStringLiteral("encoder.onnx"), bytes.size(), std::nullopt};
    EXPECT_EQ(source.fetch(file, ModelPackage::fast, destination, 0, progress, never), sha256Hex(bytes));
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_EQ(reported, (std::vector<qint64>{chunk, chunk, 123}));
}

TEST_F(LocalCopySourceTest, ResumesAndCutsBackToTheOffset)
{
    const QByteArray bytes = patternBytes(10'000);
    writeSourceFile(QStringLiteral("encoder.onnx"), bytes);
    LocalCopySource source(root);
    const ModelFile file{QStringLiteral("encoder.onnx"), bytes.size(), std::nullopt};

    writeFile(destination, bytes.left(4000));
    EXPECT_EQ(source.fetch(file, ModelPackage::fast, destination, 4000, progress, never), sha256Hex(bytes));
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_EQ(reported, (std::vector<qint64>{6000}));

    writeFile(destination, bytes.left(3000) + QByteArray(20'000, 'z'));
    source.fetch(file, ModelPackage::fast, destination, 3000, progress, never);
    EXPECT_EQ(readFile(destination), bytes);
}

TEST_F(LocalCopySourceTest, MissingSourceFileFailsTheCopy)
{
    LocalCopySource source(root);
    const ModelInstallError error = installErrorOf([&] {
        source.fetch({QStringLiteral("joiner.onnx"), 1, {}}, ModelPackage::fast, destination, 0, progress, never);
    });
    EXPECT_TRUE(error.detail().startsWith(QStringLiteral("joiner.onnx: "))) << qPrintable(error.detail());
}

}
