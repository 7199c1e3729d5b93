// Where the punctuation model lives, and installing it from a loopback model host: staging,
// checks, the order files move in, resuming, stopping, and names that try to leave the folder.

#include "Core/AppFolders.h"
#include "ModelFileHelpers.h"
#include "Models/HTTPSModelSource.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Punctuation/PunctuationStore.h"
#include "Punctuation/Punctuator.h"
#include "TestFiles.h"
#include "TestModelHost.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

using State = PunctuationInstaller::State;
using Installing = PunctuationInstaller::Installing;
using Failed = PunctuationInstaller::Failed;
using Installed = PunctuationInstaller::Installed;

QByteArray testModelFile(const QString& name)
{
    return readFile(TestModels::punctuation() + u'/' + name);
}

class PunctuationInstallerTest : public testing::Test {
protected:
    void SetUp() override
    {
        modelBytes = testModelFile(QStringLiteral("model.onnx"));
        tokenizerBytes = testModelFile(QStringLiteral("tokenizer.json"));
    }

    // Publishes the test model, its files listed tokenizer first unless `modelFirst`.
    void publish(bool modelFirst = false, const QString& modelName = QStringLiteral("model.onnx"))
    {
        TestModelHost::Files files{{QStringLiteral("tokenizer.json"), tokenizerBytes}, {modelName, modelBytes}};
        if (modelFirst)
            std::swap(files[0], files[1]);
        host.publishPunctuation(files);
    }

    std::shared_ptr<HTTPSModelSource> source()
    {
        return std::make_shared<HTTPSModelSource>(host.base(), ModelFamily::v1, 6,
                                                  [](std::chrono::milliseconds, const std::function<bool()>&) {});
    }

    // An installer into `folder` whose states are collected.
    std::unique_ptr<PunctuationInstaller> installerFor(const QString& folder)
    {
        auto installer = std::make_unique<PunctuationInstaller>(source(), folder);
        installer->onChange = [this](const State& state) { states.push_back(state); };
        return installer;
    }

    // Runs an installer into `folder` to its end.
    State installInto(const QString& folder)
    {
        auto installer = installerFor(folder);
        installer->install();
        return outcome();
    }

    State outcome()
    {
        waitUntil([&] {
            return !states.empty()
                   && (std::holds_alternative<Installed>(states.back())
                       || std::holds_alternative<Failed>(states.back()));
        });
        return states.empty() ? State{PunctuationInstaller::Idle{}} : states.back();
    }

    // The paths of blob requests, in order.
    QList<QByteArray> blobRequests() const
    {
        QList<QByteArray> paths;
        for (const HttpRequest& request : host.server.requests())
            if (request.path().contains("/blobs/"))
                paths << request.path();
        return paths;
    }

    TestModelHost host;
    QTemporaryDir scratch;
    QByteArray modelBytes, tokenizerBytes;
    std::vector<State> states;
};

}

TEST(PunctuationStore, LivesAmongTheModelsUnlessTheEnvironmentSaysOtherwise)
{
    for (const std::optional<QString>& unset : {std::optional<QString>(), std::optional<QString>(QString())}) {
        ScopedEnvironment environment("QUILLMARSH_PUNCT_DIR", unset);
        EXPECT_EQ(PunctuationStore::directory(), AppFolders::data() + QStringLiteral("/Models/punctuation"));
    }
    ScopedEnvironment tilde("QUILLMARSH_PUNCT_DIR", QStringLiteral("~/punct"));
    EXPECT_EQ(PunctuationStore::directory(), QDir::homePath() + QStringLiteral("/punct"));
}

TEST_F(PunctuationInstallerTest, DownloadsVerifiesAndMovesTheModelIn)
{
    // Listed with the model first: downloaded in that order, moved in with the model last.
    publish(true);
    const QString folder = scratch.filePath(QStringLiteral("models/punctuation"));
    auto installer = installerFor(folder);
    installer->install();

    ASSERT_EQ(outcome(), State{Installed{}});
    EXPECT_EQ(states.front(), (State{Installing{0, 0}}));
    const qint64 total = modelBytes.size() + tokenizerBytes.size();
    const auto lastProgress = std::find_if(
        states.rbegin(), states.rend(), [](const State& state) { return std::holds_alternative<Installing>(state); });
    EXPECT_EQ(*lastProgress, (State{Installing{total, total}}));
    EXPECT_EQ(blobRequests(), (QList<QByteArray>{TestModelHost::blobPath("punctuation", "model.onnx"),
                                                 TestModelHost::blobPath("punctuation", "tokenizer.json")}));
    EXPECT_EQ(readFile(folder + QStringLiteral("/model.onnx")), modelBytes);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/.staging")));

    // What was installed is a working punctuator.
    Punctuator punctuator(folder, 1, Punctuator::defaultLabelBias);
    EXPECT_EQ(punctuator.punctuate(QStringLiteral("سلام خوبم")), QStringLiteral("سلام، خوبم."));
}

TEST_F(PunctuationInstallerTest, AModelAlreadyInTheStoresFolderIsNotDownloadedAgain)
{
    publish();
    const QString storeFolder = scratch.filePath(QStringLiteral("store"));
    ScopedEnvironment folder("QUILLMARSH_PUNCT_DIR", storeFolder);
    writeFile(storeFolder + QStringLiteral("/model.onnx"), modelBytes);
    writeFile(storeFolder + QStringLiteral("/tokenizer.json"), tokenizerBytes);
    ASSERT_EQ(installInto(storeFolder), State{Installed{}});
    EXPECT_TRUE(host.server.requests().isEmpty());
}

TEST_F(PunctuationInstallerTest, AFileThatDoesntMatchIsDeletedAndTheCheckedOnesStayStaged)
{
    publish();
    QJsonObject punctuation = host.manifest[QStringLiteral("punctuation")].toObject();
    QJsonArray files = punctuation[QStringLiteral("files")].toArray();
    QJsonObject model = files[1].toObject();
    model[QStringLiteral("sha256")] = sha256Hex("something else");
    files[1] = model;
    punctuation[QStringLiteral("files")] = files;
    host.manifest[QStringLiteral("punctuation")] = punctuation;

    const QString folder = scratch.filePath(QStringLiteral("punctuation"));
    EXPECT_EQ(installInto(folder),
              State{Failed{QStringLiteral("model.onnx didn't match after copying. It will be copied again.")}});
    // The verified tokenizer stays staged for the next run; the mismatching model is gone.
    EXPECT_EQ(readFile(folder + QStringLiteral("/.staging/tokenizer.json")), tokenizerBytes);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/.staging/model.onnx")));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/model.onnx")));
}

TEST_F(PunctuationInstallerTest, NamesThatLeaveTheFolderWriteNothing)
{
    // The fault this guards against: a manifest naming "../model.onnx" would write beside the
    // folder. Which names are unsafe is the model list's rule; this checks the installer uses it.
    publish(false, QStringLiteral("../model.onnx"));
    const QString parent = scratch.filePath(QStringLiteral("names"));
    const State result = installInto(parent + QStringLiteral("/punctuation"));
    ASSERT_TRUE(std::holds_alternative<Failed>(result));
    EXPECT_TRUE(std::get<Failed>(result).text.startsWith(QStringLiteral("Copying the model failed: unsafe file name")));
    EXPECT_FALSE(QFileInfo::exists(parent));
    EXPECT_TRUE(blobRequests().isEmpty());
}

TEST_F(PunctuationInstallerTest, ReportsAManifestWithoutThePunctuationModel)
{
    EXPECT_EQ(installInto(scratch.filePath(QStringLiteral("punctuation"))),
              State{Failed{QStringLiteral("The model files weren't found (the punctuation model in the manifest).")}});
}
