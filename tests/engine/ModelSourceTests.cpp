// The error texts, the manifest format, the source choice and the local copy source.

#include "LocalCopySource.h"
#include "ModelDownload.h"
#include "ModelFileHelpers.h"
#include "ModelInstallError.h"
#include "ModelManifest.h"
#include "ModelStore.h"
#include "Settings.h"
#include "Sha256.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ModelInstallErrorTest, DescriptionsAreTheUserTexts)
{
    EXPECT_EQ(ModelInstallError::noSpace(3LL * 1073741824 / 2, 1073741824LL / 4).description(),
              QStringLiteral("Not enough disk space: the model needs 1.5 GB, 0.2 GB is free."));
    EXPECT_EQ(ModelInstallError::sourceMissing(QStringLiteral("/m/tokens.txt")).description(),
              QStringLiteral("The model files weren't found (/m/tokens.txt)."));
    EXPECT_EQ(ModelInstallError::copyFailed(QStringLiteral("x")).description(), QStringLiteral("Copying the model failed: x"));
    EXPECT_EQ(ModelInstallError::verifyFailed(QStringLiteral("encoder.onnx")).description(),
              QStringLiteral("encoder.onnx didn't match after copying. It will be copied again."));
    EXPECT_EQ(ModelInstallError::cancelled().description(), QStringLiteral("Stopped."));
    EXPECT_EQ(ModelInstallError::noSpace(1, 2), ModelInstallError::noSpace(1, 2));
    EXPECT_FALSE(ModelInstallError::noSpace(1, 2) == ModelInstallError::noSpace(1, 3));
    EXPECT_FALSE(ModelInstallError::copyFailed(QStringLiteral("a")) == ModelInstallError::sourceMissing(QStringLiteral("a")));
}

TEST(ModelFileNameTest, OnlyOnePlainComponentPasses)
{
    EXPECT_TRUE(isPlainFileName(QStringLiteral("encoder.onnx")));
    EXPECT_TRUE(isPlainFileName(QStringLiteral(".hidden")));
    for (const char* bad : {"", ".", "..", "../x", "a/b", "/etc/passwd", "a\\b", "..\\x"})
        EXPECT_FALSE(isPlainFileName(QString::fromLatin1(bad))) << bad;
}

TEST(Sha256Test, MatchesKnownDigestsAcrossPieces)
{
    Sha256 empty;
    EXPECT_EQ(empty.hexDigest(), QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    const QByteArray bytes = patternBytes(100'000);
    Sha256 pieces;
    pieces.add(QByteArrayView(bytes).first(1));
    pieces.add(QByteArrayView(bytes).sliced(1, 65'535));
    pieces.add(QByteArrayView(bytes).sliced(65'536));
    EXPECT_EQ(pieces.hexDigest(), sha256Hex(bytes));
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
    EXPECT_EQ(manifest->schema, 1);
    const ModelManifest::File file = manifest->families.value(QStringLiteral("v1")).packages.value(QStringLiteral("320ms")).files.at(0);
    EXPECT_EQ(file.name, QStringLiteral("tokens.txt"));
    EXPECT_EQ(file.size, 5);
    EXPECT_EQ(file.sha256, QStringLiteral("abc"));
    EXPECT_EQ(file.blob, QStringLiteral("b/t"));
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
    for (const QByteArray& broken : {
             QByteArray(R"({"name": "a", "size": 1, "blob": "b"})"),  // no digest: the whole list is unreadable
             QByteArray(R"({"name": "a", "size": "1", "sha256": "s", "blob": "b"})"),
             QByteArray(R"({"name": "a", "size": 1.5, "sha256": "s", "blob": "b"})"),
             QByteArray(R"({"name": "a", "size": -1, "sha256": "s", "blob": "b"})"),
             QByteArray(R"({"size": 1, "sha256": "s", "blob": "b"})"),
             QByteArray(R"({"name": "a", "size": 1, "sha256": "s"})"),
             QByteArray(R"("a")")})
        EXPECT_FALSE(ModelManifest::decoded(withFile(broken))) << broken.constData();
    for (const char* broken : {"", "[]", "{", R"({"families": {}})", R"({"schema": "1", "families": {}})",
                               R"({"schema": 1})", R"({"schema": 1, "families": {"v1": {}}})",
                               R"({"schema": 1, "families": {}, "punctuation": {"files": 3}})"})
        EXPECT_FALSE(ModelManifest::decoded(broken)) << broken;
}

TEST(ModelDownloadsTest, BaseAddressAndSourceChoice)
{
    {
        ScopedEnvironment url("QUILLMARSH_MODELS_URL", QString());
        EXPECT_EQ(ModelDownloads::base(), ModelDownloads::defaultBase());
        EXPECT_EQ(ModelDownloads::defaultBase().scheme(), QStringLiteral("https"));
    }
    {
        ScopedEnvironment url("QUILLMARSH_MODELS_URL", QStringLiteral("http://127.0.0.1:9/models/"));
        EXPECT_EQ(ModelDownloads::base(), QUrl(QStringLiteral("http://127.0.0.1:9/models/")));
    }
    {
        ScopedEnvironment source("QUILLMARSH_MODEL_SOURCE", QString());
        EXPECT_TRUE(dynamic_cast<LocalCopySource*>(ModelDownloads::source(ModelFamily::v1).get()));
    }
    ScopedEnvironment source("QUILLMARSH_MODEL_SOURCE", std::nullopt);
    EXPECT_TRUE(dynamic_cast<LocalCopySource*>(ModelDownloads::source(ModelFamily::v2_1).get()));
    EXPECT_EQ(ModelDownloads::source(ModelFamily::v1)->name(),
              QStringLiteral("download (") + ModelDownloads::defaultBase().host() + u')');
}

class LocalCopySourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        root = folder.path();
        destination = root + QStringLiteral("/out/encoder.onnx");
        QDir().mkpath(root + QStringLiteral("/out"));
    }

    void writeSourceFile(const QString& name, const QByteArray& bytes)
    {
        writeFile(root + QStringLiteral("/320ms/") + name, bytes);
    }

    QTemporaryDir folder;
    QString root;
    QString destination;
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
    const std::vector<ModelFile> files = source.files(ModelPackage::fast);
    ASSERT_EQ(files.size(), 6u);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(files[i], (ModelFile{ModelStore::requiredFiles()[qsizetype(i)], ModelStore::requiredFiles()[qsizetype(i)].size(), std::nullopt}));

    QFile::remove(root + QStringLiteral("/320ms/tokens.txt"));
    QFile::remove(root + QStringLiteral("/320ms/bpe.vocab"));
    try {
        source.files(ModelPackage::fast);
        FAIL() << "missing file not reported";
    } catch (const ModelInstallError& error) {
        EXPECT_EQ(error, ModelInstallError::sourceMissing(root + QStringLiteral("/320ms/tokens.txt")));
    }
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

TEST_F(LocalCopySourceTest, CancelKeepsTheOffsetBytesOnly)
{
    const QByteArray bytes = patternBytes(5000);
    writeSourceFile(QStringLiteral("encoder.onnx"), bytes);
    writeFile(destination, bytes.left(1000) + "garbage");
    LocalCopySource source(root);
    const ModelFile file{QStringLiteral("encoder.onnx"), bytes.size(), std::nullopt};
    EXPECT_THROW(
        {
            try {
                source.fetch(file, ModelPackage::fast, destination, 1000, progress, [] { return true; });
            } catch (const ModelInstallError& error) {
                EXPECT_EQ(error, ModelInstallError::cancelled());
                throw;
            }
        },
        ModelInstallError);
    EXPECT_EQ(readFile(destination), bytes.left(1000));
    EXPECT_TRUE(reported.empty());
}

TEST_F(LocalCopySourceTest, EmptySourceAndMissingSourceFile)
{
    writeSourceFile(QStringLiteral("tokens.txt"), {});
    LocalCopySource source(root);
    EXPECT_EQ(source.fetch({QStringLiteral("tokens.txt"), 0, {}}, ModelPackage::fast, destination, 0, progress, never),
              sha256Hex({}));
    EXPECT_TRUE(QFileInfo::exists(destination));
    EXPECT_EQ(QFileInfo(destination).size(), 0);
    EXPECT_TRUE(reported.empty());
    try {
        source.fetch({QStringLiteral("joiner.onnx"), 1, {}}, ModelPackage::fast, destination, 0, progress, never);
        FAIL() << "a missing source file copied";
    } catch (const ModelInstallError& error) {
        EXPECT_EQ(error.kind(), ModelInstallError::Kind::copyFailed);
        EXPECT_TRUE(error.detail().startsWith(QStringLiteral("joiner.onnx: "))) << qPrintable(error.detail());
    }
}

TEST(LocalCopySourceRootTest, ChosenFromArgumentEnvironmentOrExportFolder)
{
    ScopedEnvironment family("QUILLMARSH_MODEL_FAMILY", QStringLiteral("v2_1"));
    {
        ScopedEnvironment variable("QUILLMARSH_MODEL_SOURCE", QStringLiteral("~/exports"));
        EXPECT_EQ(LocalCopySource().rootDir(), QDir::homePath() + QStringLiteral("/exports"));
        EXPECT_EQ(LocalCopySource(QStringLiteral("/given")).rootDir(), QStringLiteral("/given"));
    }
    ScopedEnvironment variable("QUILLMARSH_MODEL_SOURCE", QString());
    const QString root = LocalCopySource().rootDir();
    EXPECT_TRUE(root.startsWith(QDir::homePath() + u'/'));
    EXPECT_TRUE(root.endsWith(QStringLiteral("/sherpa_onnx_v2_1")));
}

}
