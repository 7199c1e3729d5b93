// Downloading model files from a loopback model host: the manifest, resumption, the status
// table, redirects, retries with their pauses (recorded, not slept), cancellation.

#include "ModelFileHelpers.h"
#include "Models/HTTPSModelSource.h"
#include "Models/ModelInstallError.h"
#include "Models/ModelStore.h"
#include "TestFiles.h"
#include "TestModelHost.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

using namespace std::chrono_literals;

namespace {

using Pauses = std::vector<std::chrono::milliseconds>;

class HTTPSModelSourceTest : public testing::Test {
protected:
    HTTPSModelSourceTest()
    {
        for (const QString& name : ModelStore::requiredFiles())
            packageFiles.emplace_back(
                name, patternBytes(name == QLatin1String("encoder.onnx") ? 5000 : 64, static_cast<int>(name.size())));
        mirror.route("GET", "/encoder.onnx",
                     [this](const HttpRequest& request) { return HttpResponse::file(encoder(), request); });
        mirror.route("GET", "/loop",
                     [this](const HttpRequest&) { return answer(302, mirror.url(QStringLiteral("/loop"))); });
        mirror.route("GET", "/to-plain", [this](const HttpRequest&) {
            return answer(302, host.server.url(QStringLiteral("/elsewhere/encoder.onnx")));
        });
    }

    std::unique_ptr<HTTPSModelSource> makeSource(const ReplyBounds& manifest = HTTPSModelSource::manifestBounds,
                                                 const ReplyBounds& file = HTTPSModelSource::fileBounds)
    {
        return std::make_unique<HTTPSModelSource>(
            host.base(), ModelFamily::v1, 6,
            [this](std::chrono::milliseconds pause, const std::function<bool()>&) { pauses.push_back(pause); },
            manifest, file);
    }

    // A source that has read the manifest, ready to fetch encoder.onnx.
    std::unique_ptr<HTTPSModelSource> listedSource()
    {
        host.publish(packageFiles);
        auto source = makeSource();
        source->files(ModelPackage::fast, never);
        host.server.clearRequests();
        return source;
    }

    const QByteArray& encoder() const { return packageFiles.front().second; }

    void fetchEncoder(
        HTTPSModelSource& source, const std::function<bool()>& cancelled = [] { return false; })
    {
        const ModelFile file{QStringLiteral("encoder.onnx"), encoder().size(), sha256Hex(encoder())};
        source.fetch(
            file, ModelPackage::fast, destination, 0, [this](qint64 bytes) { progressed += bytes; }, cancelled);
    }

    void routeEncoder(TestHttpServer::Handler handler)
    {
        host.server.route("GET", TestModelHost::blobPath(QStringLiteral("320ms"), QStringLiteral("encoder.onnx")),
                          std::move(handler));
    }

    // Answers the first request for encoder.onnx with `first` (when set), later ones as a file server.
    void routeEncoderFirst(std::function<HttpResponse(const HttpRequest&)> first)
    {
        auto answered = std::make_shared<std::atomic<int>>(0);
        routeEncoder([this, first, answered](const HttpRequest& request) {
            return (*answered)++ == 0 && first ? first(request) : HttpResponse::file(encoder(), request);
        });
    }

    // The Range header of each request for encoder.onnx ("" for none), the host's then the mirror's.
    QList<QByteArray> encoderRanges() const
    {
        QList<QByteArray> ranges;
        for (const HttpRequest& request : host.server.requests() + mirror.requests()) {
            if (request.path().endsWith("encoder.onnx"))
                ranges.append(request.header("Range"));
        }
        return ranges;
    }

    // A short answer with the status, sending elsewhere when `location` is given.
    static HttpResponse answer(int status, const QUrl& location = {})
    {
        HttpResponse response = HttpResponse::text(status, "no");
        if (!location.isEmpty())
            response.headers.append(qMakePair(QByteArray("Location"), location.toEncoded()));
        return response;
    }

    TestModelHost host;
    // Serves encoder.onnx as a file server over HTTPS; "/loop" redirects to itself, "/to-plain" to
    // the host's plain HTTP.
    TestHttpServer mirror{TestHttpServer::Transport::encrypted};
    TestModelHost::Files packageFiles;
    QTemporaryDir folder;
    QString destination = folder.path() + QStringLiteral("/encoder.onnx");
    Pauses pauses;
    std::atomic<qint64> progressed = 0;
    ModelSource::Cancelled never = [] { return false; };
};

TEST_F(HTTPSModelSourceTest, ManifestIsTriedThreeTimesReadOnceAndItsSchemaChecked)
{
    host.server.route("GET", "/models/manifest.json", [](const HttpRequest&) { return HttpResponse::text(404, "no"); });
    EXPECT_EQ(installErrorOf([&] { makeSource()->files(ModelPackage::fast, never); }),
              ModelInstallError::copyFailed(QStringLiteral("the model list couldn't be fetched: HTTP 404")));
    EXPECT_EQ(host.server.requests().size(), 3);
    EXPECT_EQ(pauses, (Pauses{1s, 2s}));
    // The list's redirects follow the files' rule.
    host.server.route("GET", "/models/manifest.json",
                      [this](const HttpRequest&) { return answer(302, host.server.url(QStringLiteral("/list"))); });
    EXPECT_EQ(installErrorOf([&] { makeSource()->files(ModelPackage::fast, never); }),
              ModelInstallError::copyFailed(QStringLiteral(
                  "the model list couldn't be fetched: redirected to an address that isn\u2019t HTTPS")));

    host.publish(packageFiles);
    auto answered = std::make_shared<std::atomic<int>>(0);
    host.server.route("GET", "/models/manifest.json", [this, answered](const HttpRequest&) {
        if ((*answered)++ == 0)
            return HttpResponse::text(503, "busy");
        return HttpResponse::json(200, QJsonDocument(host.manifest).toJson());
    });
    host.server.clearRequests();
    pauses.clear();
    auto source = makeSource();
    EXPECT_EQ(source->files(ModelPackage::fast, never).size(), 6u);
    EXPECT_EQ(source->files(ModelPackage::fast, never).size(), 6u);
    EXPECT_EQ(host.server.requests().size(), 2);
    EXPECT_EQ(pauses, (Pauses{1s}));

    host.manifest.insert(QStringLiteral("schema"), 2);
    *answered = 1;
    host.server.clearRequests();
    EXPECT_EQ(installErrorOf([&] { makeSource()->files(ModelPackage::fast, never); }),
              ModelInstallError::sourceMissing(QStringLiteral("manifest schema 2")));
    EXPECT_EQ(host.server.requests().size(), 1) << "another schema is not retried";
}

TEST_F(HTTPSModelSourceTest, SelectsRequiredFilesThenLicenceInFixedOrder)
{
    TestModelHost::Files listed(packageFiles.rbegin(), packageFiles.rend());
    listed.emplace_back(QStringLiteral("README"), "read me");
    listed.emplace_back(QStringLiteral("LICENSE"), "licence");
    listed.emplace_back(QStringLiteral("tokens.txt"), "a later duplicate");
    listed.emplace_back(QStringLiteral("../escape"), "outside");
    host.publish(listed);
    const std::vector<ModelFile> files = makeSource()->files(ModelPackage::fast, never);
    ASSERT_EQ(files.size(), 7u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(files[i],
                  (ModelFile{packageFiles[i].first, packageFiles[i].second.size(), sha256Hex(packageFiles[i].second)}));
    EXPECT_EQ(files[6], (ModelFile{QStringLiteral("LICENSE"), 7, sha256Hex("licence")}));
}

TEST_F(HTTPSModelSourceTest, DownloadsBelowTheBasePathWithoutCompression)
{
    auto source = listedSource();
    fetchEncoder(*source);
    EXPECT_EQ(readFile(destination), encoder());
    EXPECT_EQ(progressed.load(), encoder().size());
    const QList<HttpRequest> requests = host.server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].path(), QByteArray("/models/blobs/320ms/encoder.onnx"));
    EXPECT_FALSE(requests[0].hasHeader("Range"));
    EXPECT_EQ(requests[0].header("Accept-Encoding"), QByteArray("identity"));
}

// Whatever the staged bytes and the first reply, the file ends up whole, fetched with these ranges.
TEST_F(HTTPSModelSourceTest, ResumesOrStartsOverAsTheStagedBytesAndRepliesRequire)
{
    auto source = listedSource();
    const QByteArray start = encoder().left(1000);
    const auto body = [](int status, const QByteArray& bytes) {
        return HttpResponse::text(status, bytes, "application/octet-stream");
    };
    const struct {
        const char* what;
        QByteArray staged;
        std::function<HttpResponse(const HttpRequest&)> first;
        QList<QByteArray> ranges;
    } cases[] = {
        {"complete file", encoder(), {}, {}},
        {"partial file", start, {}, {"bytes=1000-"}},
        {"oversized file", QByteArray(6000, 'x'), {}, {""}},
        {"range ignored", start, [&](const HttpRequest&) { return body(200, encoder()); }, {"bytes=1000-", ""}},
        {"206 from elsewhere",
         start,
         [&](const HttpRequest&) {
             HttpResponse wrong = body(206, encoder().left(4000));
             wrong.headers.append(qMakePair(QByteArray("Content-Range"), QByteArray("bytes 0-3999/5000")));
             return wrong;
         },
         {"bytes=1000-", "bytes=1000-"}},
        // A 416 that names the listed size, or no size, says the staged bytes can't be resumed.
        {"416 for the listed size",
         start,
         [&](const HttpRequest&) {
             HttpResponse refused = body(416, {});
             refused.headers.append(qMakePair(QByteArray("Content-Range"), QByteArray("bytes */5000")));
             return refused;
         },
         {"bytes=1000-", ""}},
        {"416 without a size", start, [&](const HttpRequest&) { return body(416, {}); }, {"bytes=1000-", ""}},
        {"redirected to HTTPS",
         start,
         [&](const HttpRequest&) { return answer(307, mirror.url(QStringLiteral("/encoder.onnx"))); },
         {"bytes=1000-", "bytes=1000-"}},
        {"cut connection",
         {},
         [&](const HttpRequest& request) {
             HttpResponse response = HttpResponse::file(encoder(), request);
             response.closeAfterBytes = 2500;
             return response;
         },
         {"", "bytes=2500-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(destination);
        if (!c.staged.isEmpty())
            writeFile(destination, c.staged);
        routeEncoderFirst(c.first);
        host.server.clearRequests();
        mirror.clearRequests();
        progressed = 0;
        fetchEncoder(*source);
        EXPECT_EQ(readFile(destination), encoder());
        EXPECT_EQ(encoderRanges(), c.ranges);
    }
    EXPECT_EQ(progressed.load(), encoder().size()) << "the cut transfer, last, counts each byte once";
}

TEST_F(HTTPSModelSourceTest, StatusDecidesBetweenFailingAtOnceAndRetrying)
{
    auto source = listedSource();
    const std::tuple<int, QUrl, QString, int, Pauses> cases[] = {
        {404, {}, QStringLiteral("HTTP 404"), 1, {}},
        {503, {}, QStringLiteral("HTTP 503"), 6, {2s, 4s, 8s, 16s, 20s}},
        // Refused before the plain address is asked.
        {302,
         mirror.url(QStringLiteral("/to-plain")),
         QStringLiteral("redirected to an address that isn\u2019t HTTPS"),
         1,
         {}},
        {302, mirror.url(QStringLiteral("/loop")), QStringLiteral("too many redirects"), 1, {}},
    };
    for (const auto& [status, location, failure, attempts, expectedPauses] : cases) {
        routeEncoder([status, location](const HttpRequest&) { return answer(status, location); });
        host.server.clearRequests();
        pauses.clear();
        EXPECT_EQ(installErrorOf([&] { fetchEncoder(*source); }),
                  ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: ") + failure));
        EXPECT_EQ(encoderRanges().size(), attempts);
        EXPECT_EQ(pauses, expectedPauses);
    }
}

TEST_F(HTTPSModelSourceTest, AnEndlessOrTricklingHostEndsInPlainWords)
{
    host.server.route("GET", "/models/manifest.json",
                      [](const HttpRequest&) { return HttpResponse::endlessAfter(200, "{"); });
    EXPECT_EQ(installErrorOf([&] { makeSource()->files(ModelPackage::fast, never); }),
              ModelInstallError::copyFailed(
                  QStringLiteral("the model list couldn't be fetched: the server\u2019s answer was too long")));

    host.server.route("GET", "/models/manifest.json",
                      [](const HttpRequest&) { return HttpResponse::trickled(200, "{}"); });
    const ReplyBounds quickManifest{HTTPSModelSource::manifestBounds.maxBytes, 1s, 300ms};
    EXPECT_EQ(
        installErrorOf([&] { makeSource(quickManifest)->files(ModelPackage::fast, never); }),
        ModelInstallError::copyFailed(QStringLiteral("the model list couldn't be fetched: the server took too long")));
    // A stop asked for while the host trickles ends the wait for the list, not the host's bounds.
    EXPECT_EQ(installErrorOf([&] { makeSource()->files(ModelPackage::fast, [] { return true; }); }),
              ModelInstallError::cancelled());

    // More than the listed size can't become the file, however often it is asked for.
    host.server.route("GET", "/models/manifest.json", [this](const HttpRequest&) {
        return HttpResponse::json(200, QJsonDocument(host.manifest).toJson());
    });
    auto source = listedSource();
    routeEncoder([this](const HttpRequest&) { return HttpResponse::endlessAfter(200, encoder()); });
    EXPECT_EQ(installErrorOf([&] { fetchEncoder(*source); }),
              ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: the server sent more than the listed size")));
    EXPECT_EQ(encoderRanges().size(), 1);
    EXPECT_LE(QFileInfo(destination).size(), encoder().size());

    // A byte every 20 ms is too little progress: each attempt stalls, resuming where it stopped.
    QFile::remove(destination);
    routeEncoder([this](const HttpRequest& request) {
        HttpResponse trickle = HttpResponse::file(encoder(), request);
        trickle.dripEvery = 20ms;
        return trickle;
    });
    host.server.clearRequests();
    source = makeSource(HTTPSModelSource::manifestBounds, {0, 200ms, 60s, 1024});
    source->files(ModelPackage::fast, never);
    EXPECT_EQ(installErrorOf([&] { fetchEncoder(*source); }),
              ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: the connection stalled")));
    EXPECT_EQ(encoderRanges().size(), 6);
    EXPECT_TRUE(encoderRanges().last().startsWith("bytes=")) << "the trickled bytes are kept";

    // A host that trickles and ignores ranges: each attempt starts over, and the failure told is
    // the stall, not the range.
    QFile::remove(destination);
    routeEncoder([this](const HttpRequest&) {
        HttpResponse trickle = HttpResponse::text(200, encoder(), "application/octet-stream");
        trickle.dripEvery = 20ms;
        return trickle;
    });
    EXPECT_EQ(installErrorOf([&] { fetchEncoder(*source); }),
              ModelInstallError::copyFailed(QStringLiteral("encoder.onnx: the connection stalled")));
}

TEST_F(HTTPSModelSourceTest, CancelDuringAPauseStopsBeforeTheNextAttempt)
{
    host.publish(packageFiles);
    routeEncoder([](const HttpRequest&) { return HttpResponse::text(503, "busy"); });
    bool stopped = false;
    HTTPSModelSource source(host.base(), ModelFamily::v1, 6,
                            [&](std::chrono::milliseconds, const std::function<bool()>&) { stopped = true; });
    source.files(ModelPackage::fast, never);
    stopped = false;
    EXPECT_EQ(installErrorOf([&] { fetchEncoder(source, [&] { return stopped; }); }), ModelInstallError::cancelled());
    EXPECT_EQ(encoderRanges().size(), 1);
}

}
