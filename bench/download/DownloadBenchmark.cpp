// Downloads one 200 MB file from a loopback server (Python's static file server over a
// temporary folder), alternately with our model source and with curl, and prints
// ratio=<curl time / our time> (best of three each).

#include "Models/HTTPSModelSource.h"
#include "Models/ModelStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
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

// Serves the folder on 127.0.0.1 at a port the system picks; returns that port, or 0.
quint16 serve(QProcess& server, const QString& folder)
{
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("python3"),
                 {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                  QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), folder, QStringLiteral("0")});
    static const QRegularExpression port(QStringLiteral("port (\\d+)"));
    QByteArray said;
    while (server.waitForReadyRead(10000)) {
        said += server.readAll();
        if (const auto match = port.match(QString::fromLatin1(said)); match.hasMatch())
            return static_cast<quint16>(match.captured(1).toUInt());
    }
    return 0;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
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
    QTemporaryDir site;
    QDir(site.path()).mkdir(QStringLiteral("blobs"));
    const QByteArray bytes = content();

    QJsonArray files;
    for (const QString& name : ModelStore::requiredFiles()) {
        const QByteArray body = name == QLatin1String("encoder.data") ? bytes : QByteArray("x");
        files.append(QJsonObject{{QStringLiteral("name"), name},
                                 {QStringLiteral("size"), static_cast<double>(body.size())},
                                 {QStringLiteral("sha256"), QString(64, u'0')},
                                 {QStringLiteral("blob"), QStringLiteral("blobs/") + name}});
        write(site.path() + QStringLiteral("/blobs/") + name, body);
    }
    const QJsonObject manifest{
        {QStringLiteral("schema"), 1},
        {QStringLiteral("families"),
         QJsonObject{
             {QStringLiteral("v1"),
              QJsonObject{{QStringLiteral("packages"),
                           QJsonObject{{QStringLiteral("320ms"), QJsonObject{{QStringLiteral("files"), files}}}}}}}}}};
    write(site.path() + QStringLiteral("/manifest.json"), QJsonDocument(manifest).toJson());
    QProcess server;
    const quint16 port = serve(server, site.path());
    if (port == 0) {
        std::fprintf(stderr, "the file server didn't start\n");
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);

    HTTPSModelSource source(QUrl(base), ModelFamily::v1, 1);
    ModelFile encoderData;
    for (const ModelFile& file : source.files(ModelPackage::fast, [] { return false; })) {
        if (file.name == QLatin1String("encoder.data"))
            encoderData = file;
    }
    const QString ours = folder.path() + QStringLiteral("/ours.data");
    const QString theirs = folder.path() + QStringLiteral("/curl.data");
    const QString url = base + QStringLiteral("blobs/encoder.data");

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
    server.terminate();
    server.waitForFinished();
    return 0;
}
