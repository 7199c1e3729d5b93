#include "Account/AccountAPI.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

namespace {

class AccountAPITest : public testing::Test {
protected:
    TestHttpServer server;
    QNetworkAccessManager session;
    std::optional<QString> token = QStringLiteral("access-1");
    AccountAPI api{server.url(), session, [this] { return token; }};

    AccountAPI::ExportResult exportAnswered(const HttpResponse& response)
    {
        server.route("GET", "/v1/me/export", [response](const HttpRequest&) { return response; });
        std::optional<AccountAPI::ExportResult> result;
        api.exportData([&](const AccountAPI::ExportResult& r) { result = r; });
        EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
        return result.value_or(AccountAPIError::network("no result"));
    }

    std::optional<AccountAPIError> deleteAnswered(const HttpResponse& response)
    {
        server.route("DELETE", "/v1/me", [response](const HttpRequest&) { return response; });
        bool finished = false;
        std::optional<AccountAPIError> result;
        api.deleteAccount([&](std::optional<AccountAPIError> r) {
            result = r;
            finished = true;
        });
        EXPECT_TRUE(waitUntil([&] { return finished; }));
        return result;
    }

    static AccountAPIError::Kind kindOf(const AccountAPI::ExportResult& result)
    {
        const auto* error = std::get_if<AccountAPIError>(&result);
        EXPECT_TRUE(error) << "the export succeeded";
        return error ? error->kind() : AccountAPIError::Kind::server;
    }
};

}

TEST(AccountServerTest, SitsBesideTheSpeechServer)
{
    const struct {
        const char* speech;
        std::optional<QString> account;
    } cases[] = {
        {"wss://speech.example:8443/v1/stream?x=1", "https://speech.example:8443"},
        {"WSS://speech.example/stream", "https://speech.example"},
        {"ws://127.0.0.1:9000/stream", "http://127.0.0.1:9000"},
        {"https://speech.example", std::nullopt},
        {"not a url", std::nullopt},
    };
    for (const auto& [speech, account] : cases) {
        const auto server = AccountAPI::serverFor(QUrl(QString::fromLatin1(speech)));
        EXPECT_EQ(server ? std::optional(server->toString()) : std::nullopt, account) << speech;
    }
}

TEST_F(AccountAPITest, ExportReturnsTheServersJSONFetchedWithTheBearer)
{
    const QByteArray data = R"({"usage":[{"day":"2026-12-01","words":120}]})";
    const auto exported = exportAnswered(HttpResponse::json(200, data));
    ASSERT_TRUE(std::holds_alternative<QByteArray>(exported));
    EXPECT_EQ(std::get<QByteArray>(exported), data);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer access-1");
}

TEST_F(AccountAPITest, ExportWithNothingInItIsAFailureNotAnEmptyFile)
{
    EXPECT_EQ(kindOf(exportAnswered(HttpResponse::text(204, {}))), AccountAPIError::Kind::server);
    EXPECT_EQ(kindOf(exportAnswered(HttpResponse::json(200, "  "))), AccountAPIError::Kind::server);
    EXPECT_EQ(kindOf(exportAnswered(HttpResponse::json(200, "{\"usage\": [1, 2"))), AccountAPIError::Kind::server);
}

TEST_F(AccountAPITest, StatusesBecomeTheirErrors)
{
    const struct {
        int status;
        AccountAPIError::Kind kind;
        QString text;
    } cases[] = {
        {400, AccountAPIError::Kind::notAvailable, "Not available here."},
        {404, AccountAPIError::Kind::notAvailable, "Not available here."},
        {401, AccountAPIError::Kind::signedOut, "Please sign in again."},
        {429, AccountAPIError::Kind::tooManyTries, "Too many tries today. Please try again tomorrow."},
        {500, AccountAPIError::Kind::server,
         "The Quillmarsh server couldn\u2019t do that. Please try again in a moment."},
    };
    for (const auto& [status, kind, text] : cases) {
        SCOPED_TRACE(status);
        const auto exported = exportAnswered(HttpResponse::json(status, "{}"));
        EXPECT_EQ(kindOf(exported), kind);
        const auto deleted = deleteAnswered(HttpResponse::json(status, "{}"));
        ASSERT_TRUE(deleted);
        EXPECT_EQ(deleted->kind(), kind);
        EXPECT_EQ(deleted->description(), text);
    }
}

TEST_F(AccountAPITest, DeleteSucceedsOn200And204)
{
    EXPECT_FALSE(deleteAnswered(HttpResponse::text(204, {})));
    EXPECT_FALSE(deleteAnswered(HttpResponse::json(200, "{}")));
    EXPECT_EQ(server.requests().last().header("Authorization"), "Bearer access-1");
}

TEST_F(AccountAPITest, WithoutATokenNothingIsSent)
{
    token.reset();
    EXPECT_EQ(kindOf(exportAnswered(HttpResponse::json(200, "{}"))), AccountAPIError::Kind::signedOut);
    EXPECT_EQ(deleteAnswered(HttpResponse::json(200, "{}"))->kind(), AccountAPIError::Kind::signedOut);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(AccountAPITest, NoServerIsANetworkError)
{
    quint16 closedPort = 0;
    {
        TestHttpServer gone;
        closedPort = gone.port();
    }
    const AccountAPI unreachable(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort)), session,
                                 [] { return QStringLiteral("t"); });
    std::optional<AccountAPIError> error;
    unreachable.deleteAccount([&](std::optional<AccountAPIError> e) { error = e; });
    ASSERT_TRUE(waitUntil([&] { return error.has_value(); }));
    EXPECT_EQ(error->kind(), AccountAPIError::Kind::network);
    EXPECT_EQ(error->description(), "No connection to the Quillmarsh server. Please try again.");
}
