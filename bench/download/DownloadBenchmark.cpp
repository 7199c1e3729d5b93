// Downloads one 200 MB file from a loopback server, alternately with our model source and with
// curl, and prints ratio=<curl time / our time> (best of three each).

#include "Models/HTTPSModelSource.h"
#include "Models/ModelStore.h"
#include "TestHttpServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr qint64 fileSize = 200LL * 1024 * 1024;
constexpr int rounds = 3;

QByteArray content()
{
    QByteArray bytes(fileSize, Qt::Uninitialized);
    quint32 state = 12345;
    for (qint64 i = 0; i < fileSize; i += 4) {
        state = state * 1664525u + 1013904223u;
        memcpy(bytes.data() + i, &state, 4);
    }
    return bytes;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QByteArray bytes = content();

    TestHttpServer server;
    QJsonArray files;
    for (const QString& name : ModelStore::requiredFiles()) {
        const QByteArray body = name == QLatin1String("encoder.data") ? bytes : QByteArray("x");
        files.append(QJsonObject{{QStringLiteral("name"), name},
                                 {QStringLiteral("size"), static_cast<double>(body.size())},
                                 {QStringLiteral("sha256"), QString(64, u'0')},
                                 {QStringLiteral("blob"), QStringLiteral("blobs/") + name}});
        server.route("GET", "/blobs/" + name.toUtf8(),
                     [body](const HttpRequest& request) { return HttpResponse::file(body, request); });
    }
    const QJsonObject manifest{
        {QStringLiteral("schema"), 1},
        {QStringLiteral("families"),
         QJsonObject{
             {QStringLiteral("v1"),
              QJsonObject{{QStringLiteral("packages"),
                           QJsonObject{{QStringLiteral("320ms"), QJsonObject{{QStringLiteral("files"), files}}}}}}}}}};
    server.route("GET", "/manifest.json",
                 [manifest](const HttpRequest&) { return HttpResponse::json(200, QJsonDocument(manifest).toJson()); });

    HTTPSModelSource source(server.url(QStringLiteral("/")), ModelFamily::v1, 1);
    ModelFile encoderData;
    for (const ModelFile& file : source.files(ModelPackage::fast)) {
        if (file.name == QLatin1String("encoder.data"))
            encoderData = file;
    }
    const QString ours = folder.path() + QStringLiteral("/ours.data");
    const QString theirs = folder.path() + QStringLiteral("/curl.data");
    const QString url = server.url(QStringLiteral("/blobs/encoder.data")).toString();

    double bestOurs = 1e9;
    double bestCurl = 1e9;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(ours);
        auto start = std::chrono::steady_clock::now();
        source.fetch(
            encoderData, ModelPackage::fast, ours, 0, [](qint64) {}, [] { return false; });
        bestOurs = std::min(bestOurs, secondsSince(start));
        if (QFileInfo(ours).size() != fileSize) {
            std::fprintf(stderr, "our download is incomplete\n");
            return 1;
        }

        QFile::remove(theirs);
        start = std::chrono::steady_clock::now();
        const int status =
            QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), theirs, url});
        bestCurl = std::min(bestCurl, secondsSince(start));
        if (status != 0 || QFileInfo(theirs).size() != fileSize) {
            std::fprintf(stderr, "curl failed\n");
            return 1;
        }
    }
    std::printf("200 MB over loopback: ours %.3f s (%.0f MB/s), curl %.3f s\n", bestOurs, 200 / bestOurs, bestCurl);
    std::printf("ratio=%.2f\n", bestCurl / bestOurs);
    return 0;
}
