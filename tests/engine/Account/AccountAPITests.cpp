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

    // The export's bytes and the deletion's outcome for the same answer: nothing, or the text.
    std::pair<QString, std::optional<QString>> answered(int status, const QByteArray& body)
    {
        const auto response = [=](const HttpRequest&) { return HttpResponse::json(status, body); };
        server.route("GET", "/v1/me/export", response);
        server.route("DELETE", "/v1/me", response);
        std::optional<QString> exported;
        std::optional<std::optional<QString>> deleted;
        api.exportData([&](const AccountAPI::ExportResult& result) {
            const auto* error = std::get_if<AccountAPIError>(&result);
            exported = error ? error->description() : QString::fromUtf8(std::get<QByteArray>(result));
        });
        api.deleteAccount([&](std::optional<AccountAPIError> error) {
            deleted = error ? std::optional(error->description()) : std::nullopt;
        });
        EXPECT_TRUE(waitUntil([&] { return exported && deleted; }));
        return {exported.value_or(QString()), deleted.value_or(QStringLiteral("no answer"))};
    }
};

const QString serverTrouble =
    QStringLiteral("The Quillmarsh server couldn\u2019t do that. Please try again in a moment.");

}

// An export with nothing in it (204, blanks, cut-short JSON) must never be saved as the data.
TEST_F(AccountAPITest, AnswersBecomeDataOrTheirErrors)
{
    const QByteArray data = R"({"usage":[{"day":"2026-12-01","words":120}]})";
    const std::tuple<int, QByteArray, QString, std::optional<QString>> cases[] = {
        {200, data, data, std::nullopt},
        {204, "", serverTrouble, std::nullopt},
        {200, "  ", serverTrouble, std::nullopt},
        {200, R"({"usage": [1, 2)", serverTrouble, std::nullopt},
        {400, "{}", "Not available here.", "Not available here."},
        {404, "{}", "Not available here.", "Not available here."},
        {401, "{}", "Please sign in again.", "Please sign in again."},
        {429, "{}", "Too many tries today. Please try again tomorrow.",
         "Too many tries today. Please try again tomorrow."},
        {500, "{}", serverTrouble, serverTrouble},
    };
    for (const auto& [status, body, exported, deleted] : cases) {
        EXPECT_EQ(answered(status, body), std::make_pair(exported, deleted)) << status << " " << body.toStdString();
        EXPECT_EQ(server.requests().last().header("Authorization"), "Bearer access-1");
    }
    EXPECT_EQ(AccountAPIError::network("refused").description(),
              "No connection to the Quillmarsh server. Please try again.");
}

TEST_F(AccountAPITest, WithoutATokenNothingIsSent)
{
    token.reset();
    EXPECT_EQ(answered(200, "{}"),
              std::make_pair(QString("Please sign in again."), std::optional<QString>("Please sign in again.")));
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(AccountAPITest, AnEndlessAnswerIsTooLongATricklingOneANetworkFailure)
{
    const auto detail = [&](const AccountAPI& client, const HttpResponse& response) {
        server.route("GET", "/v1/me/export", [response](const HttpRequest&) { return response; });
        server.route("DELETE", "/v1/me", [response](const HttpRequest&) { return response; });
        std::optional<QString> exported;
        std::optional<QString> deleted;
        client.exportData([&](const AccountAPI::ExportResult& result) {
            const auto* error = std::get_if<AccountAPIError>(&result);
            exported = error ? error->description() : QStringLiteral("data");
        });
        client.deleteAccount(
            [&](std::optional<AccountAPIError> error) { deleted = error ? error->description() : "none"; });
        EXPECT_TRUE(waitUntil([&] { return exported && deleted; }));
        return std::make_pair(exported.value_or(QString()), deleted.value_or(QString()));
    };
    EXPECT_EQ(detail(api, HttpResponse::endlessAfter(200, "{\"usage\":\"")),
              std::make_pair(QString("The server\u2019s answer was too long."),
                             QString("The server\u2019s answer was too long.")));

    const ReplyBounds quick{64 * 1024, std::chrono::seconds(1), std::chrono::milliseconds(300)};
    const AccountAPI impatient(
        server.url(), session, [this] { return token; }, quick, quick);
    EXPECT_EQ(detail(impatient, HttpResponse::trickled(200, "{}")),
              std::make_pair(QString("No connection to the Quillmarsh server. Please try again."),
                             QString("No connection to the Quillmarsh server. Please try again.")));
}
