// Downloading model files from a loopback model host: the manifest, resumption, the status
// table, retries with their pauses (recorded, not slept), cancellation.

#include "HTTPSModelSource.h"
#include "ModelFileHelpers.h"
#include "ModelInstallError.h"
#include "ModelStore.h"
#include "TestFiles.h"
#include "TestModelHost.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

using namespace std::chrono_literals;

namespace {

ModelInstallError thrownBy(const std::function<void()>& work)
{
    try {
        work();
    } catch (const ModelInstallError& error) {
        return error;
    }
    ADD_FAILURE() << "no ModelInstallError thrown";
    return ModelInstallError::cancelled();
}

class HTTPSModelSourceTest : public testing::Test {
protected:
    HTTPSModelSourceTest()
    {
        for (const QString& name : ModelStore::requiredFiles())
            packageFiles.emplace_back(name, patternBytes(name == QLatin1String("encoder.onnx") ? 5000 : 64, static_cast<int>(name.size())));
        destination = folder.path() + QStringLiteral("/encoder.onnx");
    }

    std::unique_ptr<HTTPSModelSource> makeSource()
    {
        return std::make_unique<HTTPSModelSource>(host.base(), ModelFamily::v1, 6,
                                                  [this](std::chrono::milliseconds pause, const std::function<bool()>&) {
                                                      pauses.push_back(pause);
                                                  });
    }

    // A source that has read the manifest, ready to fetch encoder.onnx.
    std::unique_ptr<HTTPSModelSource> listedSource()
    {
        host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), packageFiles);
        auto source = makeSource();
        source->files(ModelPackage::fast);
        host.server.clearRequests();
        return source;
    }

    const QByteArray& encoder() const { return packageFiles.front().second; }
    ModelFile encoderFile() const { return {QStringLiteral("encoder.onnx"), encoder().size(), sha256Hex(encoder())}; }

    void fetchEncoder(HTTPSModelSource& source, const std::function<bool()>& cancelled = [] { return false; })
    {
        source.fetch(encoderFile(), ModelPackage::fast, destination, 0, [this](qint64 bytes) { progressed += bytes; }, cancelled);
    }

    void routeEncoder(TestHttpServer::Handler handler)
    {
        host.server.route("GET", TestModelHost::blobPath(QStringLiteral("320ms"), QStringLiteral("encoder.onnx")), std::move(handler));
    }

    QList<HttpRequest> encoderRequests() const
    {
        QList<HttpRequest> found;
        for (const HttpRequest& request : host.server.requests()) {
            if (request.path().endsWith("encoder.onnx"))
                found.append(request);
        }
        return found;
    }

    TestModelHost host;
    TestModelHost::Files packageFiles;
    QTemporaryDir folder;
    QString destination;
    std::vector<std::chrono::milliseconds> pauses;
    std::atomic<qint64> progressed = 0;
};

TEST_F(HTTPSModelSourceTest, NamesTheHost)
{
    EXPECT_EQ(makeSource()->name(), QStringLiteral("download (127.0.0.1)"));
}

TEST_F(HTTPSModelSourceTest, ManifestTriedThreeTimesWithPauses)
{
    host.server.route("GET", "/models/manifest.json", [](const HttpRequest&) { return HttpResponse::text(404, "no"); });
    auto source = makeSource();
    EXPECT_EQ(thrownBy([&] { source->files(ModelPackage::fast); }),
              ModelInstallError::copyFailed(QStringLiteral("the model list couldn't be fetched: HTTP 404")));
    EXPECT_EQ(host.server.requests().size(), 3);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{1s, 2s}));
}

TEST_F(HTTPSModelSourceTest, ManifestWithoutDigestIsUnreadable)
{
    host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), packageFiles);
    QJsonObject families = host.manifest.value(QStringLiteral("families")).toObject();
    QJsonObject v1 = families.value(QStringLiteral("v1")).toObject();
    QJsonObject packages = v1.value(QStringLiteral("packages")).toObject();
    QJsonArray files = packages.value(QStringLiteral("320ms")).toObject().value(QStringLiteral("files")).toArray();
    QJsonObject first = files.at(0).toObject();
    first.remove(QStringLiteral("sha256"));
    files.replace(0, first);
    packages.insert(QStringLiteral("320ms"), QJsonObject{{QStringLiteral("files"), files}});
    v1.insert(QStringLiteral("packages"), packages);
    families.insert(QStringLiteral("v1"), v1);
    host.manifest.insert(QStringLiteral("families"), families);

    auto source = makeSource();
    EXPECT_EQ(thrownBy([&] { source->files(ModelPackage::fast); }),
              ModelInstallError::copyFailed(QStringLiteral("the model list couldn't be fetched: unreadable manifest")));
}

TEST_F(HTTPSModelSourceTest, OtherSchemaFailsAtOnce)
{
    host.manifest.insert(QStringLiteral("schema"), 2);
    auto source = makeSource();
    EXPECT_EQ(thrownBy([&] { source->files(ModelPackage::fast); }),
              ModelInstallError::sourceMissing(QStringLiteral("manifest schema 2")));
    EXPECT_EQ(host.server.requests().size(), 1);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(HTTPSModelSourceTest, ManifestRecoversAfterAFailureAndIsReadOnce)
{
    host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), packageFiles);
    auto answered = std::make_shared<std::atomic<int>>(0);
    host.server.route("GET", "/models/manifest.json", [this, answered](const HttpRequest&) {
        if ((*answered)++ == 0)
            return HttpResponse::text(503, "busy");
        return HttpResponse::json(200, QJsonDocument(host.manifest).toJson());
    });
    auto source = makeSource();
    EXPECT_EQ(source->files(ModelPackage::fast).size(), 6u);
    EXPECT_EQ(source->files(ModelPackage::fast).size(), 6u);
    EXPECT_EQ(host.server.requests().size(), 2);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{1s}));
}

TEST_F(HTTPSModelSourceTest, SelectsRequiredFilesThenLicenceInFixedOrder)
{
    TestModelHost::Files listed(packageFiles.rbegin(), packageFiles.rend());
    listed.emplace_back(QStringLiteral("README"), "read me");
    listed.emplace_back(QStringLiteral("LICENSE"), "licence");
    listed.emplace_back(QStringLiteral("tokens.txt"), "a later duplicate");
    listed.emplace_back(QStringLiteral("../escape"), "outside");
    host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), listed);
    const std::vector<ModelFile> files = makeSource()->files(ModelPackage::fast);
    ASSERT_EQ(files.size(), 7u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(files[i].name, ModelStore::requiredFiles()[qsizetype(i)]);
        EXPECT_EQ(files[i].size, packageFiles[i].second.size());
        EXPECT_EQ(files[i].sha256, sha256Hex(packageFiles[i].second));
    }
    EXPECT_EQ(files[6], (ModelFile{QStringLiteral("LICENSE"), 7, sha256Hex("licence")}));
}

TEST_F(HTTPSModelSourceTest, MissingPackageOrRequiredFile)
{
    TestModelHost::Files withoutVocabulary(packageFiles.begin(), packageFiles.end() - 1);
    host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), withoutVocabulary);
    auto source = makeSource();
    EXPECT_EQ(thrownBy([&] { source->files(ModelPackage::fast); }),
              ModelInstallError::sourceMissing(QStringLiteral("bpe.vocab in the manifest")));
    EXPECT_EQ(thrownBy([&] { source->files(ModelPackage::accurate); }),
              ModelInstallError::sourceMissing(QStringLiteral("v1/1120ms in the manifest")));
}

TEST_F(HTTPSModelSourceTest, FetchBeforeListingNamesTheKey)
{
    auto source = makeSource();
    EXPECT_EQ(thrownBy([&] { fetchEncoder(*source); }),
              ModelInstallError::sourceMissing(QStringLiteral("320ms/encoder.onnx")));
    EXPECT_TRUE(host.server.requests().isEmpty());
}

TEST_F(HTTPSModelSourceTest, DownloadsBelowTheBasePathWithoutCompression)
{
    auto source = listedSource();
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    EXPECT_EQ(progressed.load(), encoder().size());
    const QList<HttpRequest> requests = encoderRequests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].path(), QByteArray("/models/blobs/320ms/encoder.onnx"));
    EXPECT_FALSE(requests[0].hasHeader("Range"));
    EXPECT_EQ(requests[0].header("Accept-Encoding"), QByteArray("identity"));
}

TEST_F(HTTPSModelSourceTest, CompleteFileCostsNoRequest)
{
    auto source = listedSource();
    writeFile(destination, encoder());
    fetchEncoder(*source);
    EXPECT_TRUE(host.server.requests().isEmpty());
}

TEST_F(HTTPSModelSourceTest, ResumesWithARangeRequest)
{
    auto source = listedSource();
    writeFile(destination, encoder().left(1000));
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    EXPECT_EQ(progressed.load(), 4000);
    ASSERT_EQ(encoderRequests().size(), 1);
    EXPECT_EQ(encoderRequests()[0].header("Range"), QByteArray("bytes=1000-"));
}

TEST_F(HTTPSModelSourceTest, OversizedFileStartsOver)
{
    auto source = listedSource();
    writeFile(destination, QByteArray(6000, 'x'));
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    ASSERT_EQ(encoderRequests().size(), 1);
    EXPECT_FALSE(encoderRequests()[0].hasHeader("Range"));
}

TEST_F(HTTPSModelSourceTest, IgnoredRangeEmptiesTheFileAndRetries)
{
    auto source = listedSource();
    routeEncoder([this](const HttpRequest&) { return HttpResponse::text(200, encoder(), "application/octet-stream"); });
    writeFile(destination, encoder().left(1000));
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    const QList<HttpRequest> requests = encoderRequests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].header("Range"), QByteArray("bytes=1000-"));
    EXPECT_FALSE(requests[1].hasHeader("Range"));
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{2s}));
}

TEST_F(HTTPSModelSourceTest, RangeFromElsewhereIsNeverAppended)
{
    auto source = listedSource();
    auto answered = std::make_shared<std::atomic<int>>(0);
    routeEncoder([this, answered](const HttpRequest& request) {
        if ((*answered)++ > 0)
            return HttpResponse::file(encoder(), request);
        HttpResponse wrong = HttpResponse::text(206, encoder().mid(0, 4000), "application/octet-stream");
        wrong.headers.append(qMakePair(QByteArray("Content-Range"), QByteArray("bytes 0-3999/5000")));
        return wrong;
    });
    writeFile(destination, encoder().left(1000));
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    ASSERT_EQ(encoderRequests().size(), 2);
    EXPECT_EQ(encoderRequests()[1].header("Range"), QByteArray("bytes=1000-"));
}

TEST_F(HTTPSModelSourceTest, CleanButShortTransferResumes)
{
    auto source = listedSource();
    auto answered = std::make_shared<std::atomic<int>>(0);
    routeEncoder([this, answered](const HttpRequest& request) {
        if ((*answered)++ == 0)
            return HttpResponse::text(200, encoder().left(3000), "application/octet-stream");
        return HttpResponse::file(encoder(), request);
    });
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    ASSERT_EQ(encoderRequests().size(), 2);
    EXPECT_EQ(encoderRequests()[1].header("Range"), QByteArray("bytes=3000-"));
}

TEST_F(HTTPSModelSourceTest, CutConnectionResumesFromWhatReachedTheDisk)
{
    auto source = listedSource();
    auto answered = std::make_shared<std::atomic<int>>(0);
    routeEncoder([this, answered](const HttpRequest& request) {
        HttpResponse response = HttpResponse::file(encoder(), request);
        if ((*answered)++ == 0)
            response.closeAfterBytes = 2500;
        return response;
    });
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    ASSERT_EQ(encoderRequests().size(), 2);
    EXPECT_EQ(encoderRequests()[1].header("Range"), QByteArray("bytes=2500-"));
    EXPECT_EQ(progressed.load(), encoder().size());
}

TEST_F(HTTPSModelSourceTest, UnsatisfiableRangeStartsOver)
{
    auto source = listedSource();
    auto answered = std::make_shared<std::atomic<int>>(0);
    routeEncoder([this, answered](const HttpRequest& request) {
        if ((*answered)++ == 0)
            return HttpResponse::text(416, {});
        return HttpResponse::file(encoder(), request);
    });
    writeFile(destination, QByteArray(1000, 'x'));
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    ASSERT_EQ(encoderRequests().size(), 2);
    EXPECT_FALSE(encoderRequests()[1].hasHeader("Range"));
}

TEST_F(HTTPSModelSourceTest, NotFoundFailsAtOnce)
{
    auto source = listedSource();
    routeEncoder([](const HttpRequest&) { return HttpResponse::text(404, "gone"); });
    EXPECT_EQ(thrownBy([&] { fetchEncoder(*source); }), ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: HTTP 404")));
    EXPECT_EQ(encoderRequests().size(), 1);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(HTTPSModelSourceTest, UnavailableServerGetsSixAttemptsWithGrowingPauses)
{
    auto source = listedSource();
    routeEncoder([](const HttpRequest&) { return HttpResponse::text(503, "busy"); });
    EXPECT_EQ(thrownBy([&] { fetchEncoder(*source); }), ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: HTTP 503")));
    EXPECT_EQ(encoderRequests().size(), 6);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{2s, 4s, 8s, 16s, 20s}));
}

TEST_F(HTTPSModelSourceTest, UnreachableHostIsRetried)
{
    auto source = std::make_unique<HTTPSModelSource>(QUrl(QStringLiteral("http://127.0.0.1:1/models/")), ModelFamily::v1, 6,
                                                     [this](std::chrono::milliseconds pause, const std::function<bool()>&) {
                                                         pauses.push_back(pause);
                                                     });
    const ModelInstallError error = thrownBy([&] { source->files(ModelPackage::fast); });
    EXPECT_EQ(error.kind(), ModelInstallError::Kind::copyFailed);
    EXPECT_TRUE(error.detail().startsWith(QStringLiteral("the model list couldn't be fetched: "))) << qPrintable(error.detail());
    EXPECT_EQ(pauses.size(), 2u);
}

TEST_F(HTTPSModelSourceTest, CancelMidTransferKeepsTheBytes)
{
    auto source = listedSource();
    routeEncoder([this](const HttpRequest& request) {
        HttpResponse response = HttpResponse::file(encoder(), request);
        response.stallAfterBytes = 1200;
        return response;
    });
    EXPECT_EQ(thrownBy([&] { fetchEncoder(*source, [this] { return progressed.load() >= 1200; }); }),
              ModelInstallError::cancelled());
    EXPECT_EQ(readFile(destination), encoder().left(1200));
    EXPECT_EQ(encoderRequests().size(), 1);
}

TEST_F(HTTPSModelSourceTest, CancelDuringAPauseStopsBeforeTheNextAttempt)
{
    host.publish(QStringLiteral("v1"), QStringLiteral("320ms"), packageFiles);
    routeEncoder([](const HttpRequest&) { return HttpResponse::text(503, "busy"); });
    bool stopped = false;
    HTTPSModelSource source(host.base(), ModelFamily::v1, 6,
                            [&](std::chrono::milliseconds, const std::function<bool()>&) { stopped = true; });
    source.files(ModelPackage::fast);
    stopped = false;
    EXPECT_EQ(thrownBy([&] { fetchEncoder(source, [&] { return stopped; }); }), ModelInstallError::cancelled());
    EXPECT_EQ(encoderRequests().size(), 1);
}

TEST(RetryPauseTest, RealPauseWakesForCancellation)
{
    int polls = 0;
    const auto started = std::chrono::steady_clock::now();
    pauseUnlessCancelled(20s, [&] { return ++polls > 2; });
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(polls, 3);
    const auto shortStart = std::chrono::steady_clock::now();
    pauseUnlessCancelled(30ms, [] { return false; });
    EXPECT_GE(std::chrono::steady_clock::now() - shortStart, 30ms);
}

TEST_F(HTTPSModelSourceTest, PunctuationFilesAndUnsafeNames)
{
    host.publishPunctuation({{QStringLiteral("model.onnx"), "model"}, {QStringLiteral("vocab.txt"), "vocab"}});
    auto source = makeSource();
    const std::vector<ModelFile> files = source->punctuationFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1], (ModelFile{QStringLiteral("vocab.txt"), 5, sha256Hex("vocab")}));
    const QString target = folder.path() + QStringLiteral("/vocab.txt");
    source->fetchPunctuation(files[1], target, [](qint64) {}, [] { return false; });
    EXPECT_EQ(readFile(target), QByteArray("vocab"));

    host.publishPunctuation({{QStringLiteral("../model.onnx"), "model"}});
    auto fresh = makeSource();
    EXPECT_EQ(thrownBy([&] { fresh->punctuationFiles(); }),
              ModelInstallError::copyFailed(QStringLiteral("unsafe file name in the manifest: ../model.onnx")));

    host.manifest.remove(QStringLiteral("punctuation"));
    auto without = makeSource();
    EXPECT_EQ(thrownBy([&] { without->punctuationFiles(); }),
              ModelInstallError::sourceMissing(QStringLiteral("the punctuation model in the manifest")));
}

}
