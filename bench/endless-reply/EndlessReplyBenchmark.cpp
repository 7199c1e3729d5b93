// Every HTTP client against a loopback server (a separate process) whose chunked answer doesn't
// end: each client runs in a process of its own, which reports how far its peak resident memory
// grew during the request. Each client runs twice: as is, and with the threads it works on (the
// main thread and the network thread) slowed to a fifth of their speed while the network stack's
// own thread runs free, as on a busy machine. Prints each run's growth and what the server sent
// it, then ratio=<the worst run's allowance / its growth>, where the allowance is its limit plus
// 8 MiB: below 1, a client read far past its limit before it gave up.

#include "Account/AccountAPI.h"
#include "Account/AuthClient.h"
#include "Clips/ClipUploader.h"
#include "Formatting/FormatClient.h"
#include "Models/HTTPSModelSource.h"
#include "Models/ModelStore.h"
#include "ThreadSlowdown.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr qint64 slack = 8 * 1024 * 1024;
constexpr qint64 modelFileSize = 1024 * 1024;

qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

QByteArray manifest()
{
    QJsonArray files;
    for (const QString& name : ModelStore::requiredFiles()) {
        files.append(QJsonObject{{QStringLiteral("name"), name},
                                 {QStringLiteral("size"), double(modelFileSize)},
                                 {QStringLiteral("sha256"), QString(64, u'0')},
                                 {QStringLiteral("blob"), QStringLiteral("blobs/") + name}});
    }
    const QJsonObject packages{{QStringLiteral("320ms"), QJsonObject{{QStringLiteral("files"), files}}}};
    const QJsonObject families{{QStringLiteral("v1"), QJsonObject{{QStringLiteral("packages"), packages}}}};
    return QJsonDocument(QJsonObject{{QStringLiteral("schema"), 1}, {QStringLiteral("families"), families}}).toJson();
}

// Runs one client's request to its end; returns its reply limit and what it said.
std::pair<qint64, QString> request(const QString& client, const QUrl& base)
{
    QNetworkAccessManager session;
    QEventLoop loop;
    QString said;
    const auto finish = [&](const QString& text) {
        said = text;
        loop.quit();
    };
    qint64 limit = 0;
    if (client == QLatin1String("clip")) {
        limit = ClipUploader::uploadBounds.maxBytes;
        ClipUploader(base, session).send("audio", "heard", "said", "fa", "1", [&](const ClipUploader::SendResult& r) {
            finish(std::holds_alternative<UploadError>(r) ? std::get<UploadError>(r).description()
                                                          : QStringLiteral("a code"));
        });
    } else if (client == QLatin1String("format")) {
        const QString text = QStringLiteral("a short dictation to format");
        limit = FormatClient::replyLimit(text);
        FormatConfig config(base.resolved(QUrl(QStringLiteral("/v1/format"))));
        config.timeout = 60;
        FormatClient(config, session).format(text, DictationStyle::formal, {}, [&](const FormatOutcome& outcome) {
            finish(outcome.text);
        });
    } else if (client == QLatin1String("auth")) {
        limit = AuthClient::replyBounds.maxBytes;
        AuthClient(AuthConfig{base, QStringLiteral("key")}, session)
            .renew(QStringLiteral("token"), [&](const AuthClient::SessionResult& r) {
                finish(std::holds_alternative<AuthError>(r) ? std::get<AuthError>(r).description()
                                                            : QStringLiteral("a session"));
            });
    } else if (client == QLatin1String("export")) {
        limit = AccountAPI::exportBounds.maxBytes;
        AccountAPI(base, session, [] {
            return std::optional(QStringLiteral("token"));
        }).exportData([&](const AccountAPI::ExportResult& r) {
            finish(std::holds_alternative<AccountAPIError>(r) ? std::get<AccountAPIError>(r).description()
                                                              : QStringLiteral("the data"));
        });
    } else if (client == QLatin1String("model")) {
        limit = modelFileSize;
        HTTPSModelSource source(base, ModelFamily::v1, 1);
        QTemporaryDir folder;
        try {
            for (const ModelFile& file : source.files(ModelPackage::fast, [] { return false; })) {
                source.fetch(
                    file, ModelPackage::fast, folder.filePath(file.name), 0, [](qint64) {}, [] { return false; });
                break;
            }
            said = QStringLiteral("the file");
        } catch (const std::exception& error) {
            said = QString::fromUtf8(error.what());
        }
        return {limit, said};
    }
    loop.exec();
    return {limit, said};
}

int runClient(const QString& client, const QUrl& base, bool slowed)
{
    const qint64 before = peakResidentBytes();
    // The engine's network thread, and the main thread the other clients' replies are read on.
    std::optional<ThreadSlowdown> slowdown;
    if (slowed)
        slowdown.emplace(QList<QByteArray>{"quillmarsh.network"}, true);
    const auto [limit, said] = request(client, base);
    slowdown.reset();
    std::printf("grew %lld limit %lld said %s\n", peakResidentBytes() - before, limit, qPrintable(said));
    return 0;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4)
        return runClient(QString::fromLatin1(argv[1]), QUrl(QString::fromLatin1(argv[2])),
                         argv[3] == QByteArrayLiteral("slowed"));

    QTemporaryDir folder;
    const QString manifestPath = folder.filePath(QStringLiteral("manifest.json"));
    QFile file(manifestPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(manifest()) < 0)
        return 1;
    file.close();
    QProcess server;
    server.start(QStringLiteral("python3"), {QStringLiteral(ENDLESS_SERVER), manifestPath});
    if (!server.waitForReadyRead(10000))
        return 1;
    const QByteArray first = server.readLine();
    const QUrl base(QStringLiteral("http://127.0.0.1:%1/").arg(first.mid(5).trimmed().toInt()));

    double worst = 1e9;
    for (const char* pace : {"free", "slowed"}) {
        for (const char* client : {"clip", "format", "auth", "export", "model"}) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(client), base.toString(), QString::fromLatin1(pace)});
            child.waitForFinished(300000);
            const QString said = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
            static const QRegularExpression pattern(QStringLiteral("^grew (\\d+) limit (\\d+) said (.*)$"));
            const auto match = pattern.match(said);
            server.waitForReadyRead(2000);
            const QByteArray sent = server.readAll().trimmed();
            if (!match.hasMatch()) {
                std::fprintf(stderr, "%s: no report (%s)\n", client, qPrintable(said));
                return 1;
            }
            const qint64 grew = std::max<qint64>(match.captured(1).toLongLong(), 1);
            const qint64 limit = match.captured(2).toLongLong();
            std::printf("%-7s %-6s limit %9lld  peak memory grew %7.1f MiB  server %s  said \"%s\"\n", client, pace,
                        limit, grew / 1048576.0, sent.constData(), qPrintable(match.captured(3)));
            worst = std::min(worst, double(limit + slack) / double(grew));
        }
    }
    server.kill();
    server.waitForFinished();
    std::printf("ratio=%.2f\n", worst);
    return 0;
}
