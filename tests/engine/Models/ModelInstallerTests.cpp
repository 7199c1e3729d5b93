// Installing a speech-model package: from a loopback model host end to end, and with a scripted
// source for resumption, checks, free space, progress and stopping.

#include "Core/Settings.h"
#include "ManualClock.h"
#include "ModelFileHelpers.h"
#include "Models/HTTPSModelSource.h"
#include "Models/InstallRecord.h"
#include "Models/ModelInstaller.h"
#include "Models/ModelStore.h"
#include "TestFiles.h"
#include "TestModelHost.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace std::chrono_literals;

namespace {

using State = ModelInstaller::State;
using Installing = ModelInstaller::Installing;
using Installed = ModelInstaller::Installed;
using Failed = ModelInstaller::Failed;

bool isOutcome(const State& state)
{
    return std::holds_alternative<Installed>(state) || std::holds_alternative<Failed>(state);
}

// Serves files from memory; the hook runs inside each fetch, before the copy.
class ScriptedSource : public ModelSource {
public:
    QString name() const override { return QStringLiteral("scripted"); }
    std::vector<ModelFile> files(ModelPackage, const Cancelled&) override
    {
        ++listings;
        return listed;
    }
    std::optional<QString> fetch(const ModelFile& file, ModelPackage, const QString& destination, qint64 offset,
                                 const Progress& progress, const Cancelled& cancelled) override
    {
        {
            std::lock_guard lock(mutex);
            offsets.emplace_back(file.name, offset);
        }
        if (hook)
            hook(progress);
        if (cancelled())
            throw ModelInstallError::cancelled();
        const QByteArray bytes = content.value(file.name);
        QFile output(destination);
        output.open(QIODevice::ReadWrite);
        output.resize(offset);
        output.seek(offset);
        const QByteArray rest = bytes.mid(offset);
        output.write(rest);
        if (!rest.isEmpty())
            progress(rest.size());
        return returnedDigest;
    }

    void add(const QString& fileName, const QByteArray& bytes, bool withDigest = true)
    {
        listed.push_back(
            {fileName, bytes.size(), withDigest ? std::optional<QString>(sha256Hex(bytes)) : std::nullopt});
        content.insert(fileName, bytes);
    }

    std::vector<ModelFile> listed;
    QHash<QString, QByteArray> content;
    std::optional<QString> returnedDigest;
    std::function<void(const Progress&)> hook;
    std::atomic<int> listings = 0;
    std::mutex mutex;
    std::vector<std::pair<QString, qint64>> offsets;
};

class ModelInstallerTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings::shared().remove(QStringLiteral("modelFamily"));
        QDir(ModelStore::root()).removeRecursively();
    }
    void TearDown() override { QDir(ModelStore::root()).removeRecursively(); }

    void watch(ModelInstaller& installer)
    {
        installer.onChange = [this](const State& state) { states.push_back(state); };
    }

    // Installs the fast package afresh and returns the outcome.
    State run(ModelInstaller& installer)
    {
        states.clear();
        watch(installer);
        installer.install(ModelPackage::fast);
        return outcome();
    }

    // Waits for the install's outcome and returns it.
    State outcome(std::chrono::milliseconds timeout = 20s)
    {
        EXPECT_TRUE(waitUntil([this] { return !states.empty() && isOutcome(states.back()); }, timeout));
        return states.empty() ? State{ModelInstaller::Idle{}} : states.back();
    }

    // The Installing states that carry progress.
    std::vector<Installing> progressReports() const
    {
        std::vector<Installing> reports;
        for (const State& state : states) {
            if (std::holds_alternative<Installing>(state) && std::get<Installing>(state).total > 0)
                reports.push_back(std::get<Installing>(state));
        }
        return reports;
    }

    static QString packageFolder() { return ModelStore::root() + QStringLiteral("/v1-320ms"); }
    static QString stagingFolder() { return ModelStore::stagingRoot() + QStringLiteral("/v1-320ms"); }

    ScopedEnvironment noOverride{"QUILLMARSH_MODEL_DIR", std::nullopt};
    ScopedEnvironment noFamily{"QUILLMARSH_MODEL_FAMILY", std::nullopt};
    std::vector<State> states;
};

class ModelInstallerDownloadTest : public ModelInstallerTest {
protected:
    void SetUp() override
    {
        ModelInstallerTest::SetUp();
        for (const QString& name : ModelStore::requiredFiles())
            model.emplace_back(name, readFile(TestModels::transducerBpe() + u'/' + name));
        host.publish(model);
    }

    std::shared_ptr<HTTPSModelSource> source()
    {
        return std::make_shared<HTTPSModelSource>(host.base(), ModelFamily::v1, 6,
                                                  [](std::chrono::milliseconds, const std::function<bool()>&) {});
    }

    int requestsFor(const QString& name) const
    {
        int count = 0;
        for (const HttpRequest& request : host.server.requests())
            count += request.path().endsWith('/' + name.toUtf8()) ? 1 : 0;
        return count;
    }

    TestModelHost host;
    TestModelHost::Files model;
};

TEST_F(ModelInstallerDownloadTest, InstallsTheSyntheticModelFromTheHost)
{
    ModelInstaller installer(source());
    ASSERT_EQ(run(installer), State{Installed{packageFolder()}});
    EXPECT_EQ(states.front(), State{Installing{}});
    for (const auto& [name, bytes] : model)
        EXPECT_EQ(readFile(packageFolder() + u'/' + name), bytes) << qPrintable(name);
    EXPECT_TRUE(ModelStore::isInstalled(ModelPackage::fast));
    EXPECT_FALSE(QFileInfo::exists(stagingFolder()));
    const std::optional<InstallRecord> record =
        InstallRecord::decoded(readFile(packageFolder() + QStringLiteral("/.installed.json")));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->package, QStringLiteral("320ms"));
    EXPECT_EQ(record->source, QStringLiteral("download (127.0.0.1)"));
    ASSERT_EQ(record->files.size(), 6);
    EXPECT_EQ(record->files[1], (InstallRecord::File{QStringLiteral("encoder.data"), model[1].second.size(),
                                                     sha256Hex(model[1].second)}));
}

TEST_F(ModelInstallerDownloadTest, StopMidFileThenResumeFetchesOnlyTheMissingBytes)
{
    const QByteArray encoderData = model[1].second;
    const QByteArray path = TestModelHost::blobPath(QStringLiteral("320ms"), QStringLiteral("encoder.data"));
    host.server.route("GET", path, [encoderData](const HttpRequest& request) {
        HttpResponse response = HttpResponse::file(encoderData, request);
        response.stallAfterBytes = 30000;
        return response;
    });
    ModelInstaller installer(source());
    watch(installer);
    installer.install(ModelPackage::fast);
    const QString staged = stagingFolder() + QStringLiteral("/encoder.data");
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(staged).size() == 30000; }));

    installer.stop();
    EXPECT_TRUE(waitUntil([this] { return !states.empty() && isOutcome(states.back()); }, 500ms));
    EXPECT_EQ(outcome(), State{Failed{ModelInstallError::cancelled()}});
    EXPECT_EQ(QFileInfo(staged).size(), 30000);

    host.server.route("GET", path,
                      [encoderData](const HttpRequest& request) { return HttpResponse::file(encoderData, request); });
    host.server.clearRequests();
    ASSERT_EQ(run(installer), State{Installed{packageFolder()}});
    EXPECT_EQ(readFile(packageFolder() + QStringLiteral("/encoder.data")), encoderData);
    EXPECT_EQ(requestsFor(QStringLiteral("encoder.onnx")), 0);
    ASSERT_EQ(requestsFor(QStringLiteral("encoder.data")), 1);
    for (const HttpRequest& request : host.server.requests())
        EXPECT_TRUE(request.path() != path || request.header("Range") == "bytes=30000-");
    ASSERT_FALSE(progressReports().empty());
    EXPECT_GT(progressReports().front().done, 30000) << "the first report after resuming counts the staged bytes";
}

// Resuming can't lengthen the server's file: once a whole short file or a 416 for the bytes on
// disk shows it, the install stops at once with the size check's own text.
TEST_F(ModelInstallerDownloadTest, AFileTheServerHoldsShorterThanListedIsAskedForOnce)
{
    const QByteArray tokens = model[4].second;
    host.editEntry(4, [&](QJsonObject& entry) { entry.insert(QStringLiteral("size"), tokens.size() + 100); });
    for (const bool staged : {false, true}) {
        SCOPED_TRACE(staged ? "416 for the staged bytes" : "a complete short 200");
        if (staged)
            writeFile(stagingFolder() + QStringLiteral("/tokens.txt"), tokens);
        host.server.clearRequests();
        ModelInstaller installer(source());
        EXPECT_EQ(run(installer), State{Failed{ModelInstallError::verifyFailed(QStringLiteral("tokens.txt"))}});
        EXPECT_EQ(requestsFor(QStringLiteral("tokens.txt")), 1);
    }
}

TEST_F(ModelInstallerTest, UnsafeFileNameFailsBeforeAnythingIsWritten)
{
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("tokens.txt"), "tokens");
    source->add(QStringLiteral("../../escaped.txt"), "outside");
    ModelInstaller installer(source);
    EXPECT_EQ(run(installer), State{Failed{ModelInstallError::copyFailed(
                                  QStringLiteral("unsafe file name in the model list: ../../escaped.txt"))}});
    EXPECT_TRUE(source->offsets.empty());
    EXPECT_FALSE(QFileInfo::exists(ModelStore::root()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(ModelStore::root()).path() + QStringLiteral("/escaped.txt")));
}

TEST_F(ModelInstallerTest, FreeSpaceMustCoverTheMissingBytesAndTheMargin)
{
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("encoder.onnx"), QByteArray(1000, 'e'));
    writeFile(stagingFolder() + QStringLiteral("/encoder.onnx"), QByteArray(400, 'e'));
    const qint64 needed = 600 + 64 * 1024 * 1024;
    QString askedFor;
    {
        ModelInstaller installer(source, Clock::system(), [&](const QString& folder) -> std::optional<qint64> {
            askedFor = folder;
            return needed - 1;
        });
        const State failed = run(installer);
        EXPECT_EQ(failed, State{Failed{ModelInstallError::noSpace(needed, needed - 1)}});
        EXPECT_EQ(std::get<Failed>(failed).error.description(),
                  QStringLiteral("Not enough disk space: the model needs 0.1 GB, 0.1 GB is free."));
        EXPECT_EQ(askedFor, QFileInfo(ModelStore::root()).path());
        EXPECT_TRUE(source->offsets.empty());
    }
    ModelInstaller installer(source, Clock::system(), [&](const QString&) -> std::optional<qint64> { return needed; });
    EXPECT_EQ(run(installer), State{Installed{packageFolder()}});
    ASSERT_EQ(source->offsets.size(), 1u);
    EXPECT_EQ(source->offsets[0].second, 400);
}

// Size decides without a digest; a digest from the list or the source must match; a refused file is deleted.
TEST_F(ModelInstallerTest, SizeAndDigestChecks)
{
    const State refused{Failed{ModelInstallError::verifyFailed(QStringLiteral("tokens.txt"))}};
    const struct {
        bool listedDigest;
        std::optional<QString> returnedDigest;
        QByteArray served;
        State expected;
    } cases[] = {
        {false, std::nullopt, "tokens", Installed{packageFolder()}},
        {false, sha256Hex("tokens").toUpper(), "tokens", refused},
        {true, std::nullopt, "tokens plus", refused},
    };
    for (const auto& c : cases) {
        QDir(ModelStore::root()).removeRecursively();
        QDir(ModelStore::stagingRoot()).removeRecursively();
        auto source = std::make_shared<ScriptedSource>();
        source->add(QStringLiteral("tokens.txt"), "tokens", c.listedDigest);
        source->content.insert(QStringLiteral("tokens.txt"), c.served);
        source->returnedDigest = c.returnedDigest;
        ModelInstaller installer(source);
        EXPECT_EQ(run(installer), c.expected) << c.served.constData();
        EXPECT_EQ(QFileInfo::exists(stagingFolder() + QStringLiteral("/tokens.txt")), false);
    }
}

TEST_F(ModelInstallerTest, ProgressIsThrottledWithARecentRate)
{
    ManualClock clock;
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("encoder.onnx"), QByteArray(10'000, 'e'));
    source->content.insert(QStringLiteral("encoder.onnx"), QByteArray(4000, 'e'));  // the rest arrives through the hook
    // Reported: the first call, the one after 0.101 s (with the skipped bytes), and the last two;
    // the ones after 0.05 s and exactly 0.1 s are too soon.
    source->hook = [&clock](const ModelSource::Progress& progress) {
        for (const std::chrono::milliseconds pause : {0ms, 50ms, 50ms, 1ms, 3000ms, 200ms}) {
            clock.advance(pause);
            progress(1000);
        }
    };
    ModelInstaller installer(source, clock);
    run(installer);
    const std::vector<Installing> reports = progressReports();
    // The first rate spans at least 0.05 s; samples older than 2 s are dropped.
    const std::pair<qint64, double> expected[] = {
        {1000, 1000 / 0.05}, {4000, 4000 / 0.101}, {5000, 1000 / 3.0}, {6000, 1000 / 0.2}};
    ASSERT_EQ(reports.size(), 4u);
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].done, expected[i].first);
        EXPECT_DOUBLE_EQ(reports[i].bytesPerSecond, expected[i].second);
    }
    EXPECT_EQ(reports[3].total, 10'000);
    ASSERT_TRUE(reports[3].secondsLeft());
    EXPECT_DOUBLE_EQ(*reports[3].secondsLeft(), 4000 / reports[3].bytesPerSecond);
}

TEST_F(ModelInstallerTest, SlowSourceIsToldCountingUpUntilBytesFlowAgain)
{
    ManualClock clock;
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("encoder.onnx"), QByteArray(70'000, 'e'));
    // The line counts up the wait with no bytes coming; a byte now and then is no useful progress, a burst is.
    source->hook = [&clock](const ModelSource::Progress& progress) {
        progress(1);
        clock.advance(6500ms);
        progress(1);
        clock.advance(1s);
        progress(29'997);
        clock.advance(1s);
    };
    ModelInstaller installer(source, clock);
    ASSERT_EQ(run(installer), State{Installed{packageFolder()}});
    std::vector<std::optional<QString>> lines;
    for (const State& state : states) {
        const auto* installing = std::get_if<Installing>(&state);
        if (installing && (lines.empty() || lines.back() != installing->slowLine()))
            lines.push_back(installing->slowLine());
    }
    const std::vector<std::optional<QString>> expected = {
        std::nullopt, QStringLiteral("The model host is slow: waited 5 s."),
        QStringLiteral("The model host is slow: waited 6 s."), QStringLiteral("The model host is slow: waited 7 s."),
        std::nullopt};
    EXPECT_EQ(lines, expected);
}

TEST_F(ModelInstallerTest, SecondInstallWhileRunningDoesNothing)
{
    std::atomic<bool> release = false;
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("tokens.txt"), "tokens");
    source->hook = [&release](const ModelSource::Progress&) {
        while (!release)
            std::this_thread::yield();
    };
    ModelInstaller installer(source);
    watch(installer);
    installer.install(ModelPackage::fast);
    installer.install(ModelPackage::fast);  // before the first state has even arrived
    ASSERT_TRUE(waitUntil([&] { return !source->offsets.empty(); }));
    installer.install(ModelPackage::fast);
    release = true;
    ASSERT_EQ(outcome(), State{Installed{packageFolder()}});
    EXPECT_EQ(source->listings.load(), 1) << "one run only";
    EXPECT_EQ(std::count(states.begin(), states.end(), State{Installing{}}), 1);
}

TEST_F(ModelInstallerTest, StopAndInstallAgainClearsTheRequest)
{
    auto source = std::make_shared<ScriptedSource>();
    source->add(QStringLiteral("tokens.txt"), "tokens");
    ModelInstaller installer(source);
    installer.stop();  // nothing running: the next install clears it
    EXPECT_EQ(run(installer), State{Installed{packageFolder()}});
}

}
