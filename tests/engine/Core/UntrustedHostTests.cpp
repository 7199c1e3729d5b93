// Every way the engine reaches a host refuses one whose certificate no authority vouches for: the
// requests of every service client, the model downloads and the speech server's socket. Only the
// test servers' own authority is trusted here, and only by this process.
#include "Cloud/CloudConnection.h"
#include "Core/HttpCall.h"
#include "Core/MainThread.h"
#include "Core/NetworkThread.h"
#include "Models/FileTransfer.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Secure connection failed, in the URL-loading numbering.
constexpr int secureConnectionFailed = -1200;

class UntrustedHostTest : public testing::Test {
protected:
    TestHttpServer trusted{TestHttpServer::Transport::encrypted};
    TestHttpServer untrusted{TestHttpServer::Transport::untrusted};
    const ReplyBounds bounds{1024 * 1024, 30s, 60s};
    QNetworkAccessManager session;
    const std::shared_ptr<NetworkThread> network = std::make_shared<NetworkThread>();
    QTemporaryDir folder;

    void SetUp() override
    {
        for (TestHttpServer* host : {&trusted, &untrusted})
            host->route("GET", "/file", [](const HttpRequest&) { return HttpResponse::text(200, "contents"); });
    }

    // How each client fails to reach the address, or nothing when it got its answer.
    std::optional<QString> request(const QUrl& url)
    {
        std::optional<HttpOutcome> outcome;
        performHttp(
            session, [url](QNetworkAccessManager& manager) { return manager.get(QNetworkRequest(url)); }, bounds,
            [&](const HttpOutcome& result) { outcome = result; });
        if (!waitUntil([&] { return outcome.has_value(); }, 60s))
            return QStringLiteral("no outcome");
        const auto* failed = std::get_if<HttpFailure>(&*outcome);
        if (!failed)
            return std::nullopt;
        return failed->code == secureConnectionFailed ? failed->message
                                                      : QStringLiteral("failed with code %1").arg(failed->code);
    }

    std::optional<QString> download(const QUrl& url)
    {
        const FileTransfer::Outcome outcome =
            FileTransfer::run(*network, QNetworkRequest(url), bounds, folder.filePath(QStringLiteral("file")), 0, {},
                              [] { return false; });
        if (outcome.kind == FileTransfer::Outcome::Kind::done)
            return std::nullopt;
        return outcome.message;
    }

    // The test servers speak HTTP only: a socket that reached one fails at its upgrade, having asked.
    std::optional<QString> openSocket(const QUrl& url)
    {
        QUrl socketUrl = url;
        socketUrl.setScheme(QStringLiteral("wss"));
        const auto cause = std::make_shared<std::optional<QString>>();
        const auto failed = [cause](const QString& why) { runOnMainThread([cause, why] { *cause = why; }); };
        CloudConnection connection(network, socketUrl, 1024, {{}, {}, failed});
        waitUntil([&] { return cause->has_value(); }, 60s);
        return cause->value_or(QStringLiteral("no outcome"));
    }
};

}

TEST_F(UntrustedHostTest, NoClientTalksToAHostWhoseCertificateNoAuthorityVouchesFor)
{
    struct Client {
        const char* name;
        std::function<std::optional<QString>(const QUrl&)> reach;
        bool answeredWhenTrusted;
    };
    const Client clients[] = {
        {"a service request", [this](const QUrl& url) { return request(url); }, true},
        {"a model download", [this](const QUrl& url) { return download(url); }, true},
        {"the speech server's socket", [this](const QUrl& url) { return openSocket(url); }, false},
    };
    for (const Client& client : clients) {
        SCOPED_TRACE(client.name);
        trusted.clearRequests();
        untrusted.clearRequests();

        const std::optional<QString> trustedFailure = client.reach(trusted.url(QStringLiteral("/file")));
        EXPECT_EQ(trustedFailure.has_value(), !client.answeredWhenTrusted)
            << trustedFailure.value_or(QString()).toStdString();
        EXPECT_EQ(trusted.requests().size(), 1) << "the trusted host is reached";

        const std::optional<QString> refusal = client.reach(untrusted.url(QStringLiteral("/file")));
        EXPECT_TRUE(refusal.value_or(QString()).contains(QStringLiteral("certificate")))
            << (refusal ? refusal->toStdString() : "the untrusted host's answer was taken");
        EXPECT_TRUE(untrusted.requests().isEmpty()) << "nothing is sent to the untrusted host";
    }
}
