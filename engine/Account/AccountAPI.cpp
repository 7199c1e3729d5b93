#include "Account/AccountAPI.h"

#include "Core/HttpCall.h"
#include "Core/SendOnce.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace {

// A reply's status as the error it stands for; 404 is notAvailable for both calls.
AccountAPIError failure(int status)
{
    switch (status) {
    case 400:
    case 404:
        return AccountAPIError::notAvailable();
    case 401:
        return AccountAPIError::signedOut();
    case 429:
        return AccountAPIError::tooManyTries();
    default:
        return AccountAPIError::server(status);
    }
}

bool isJSON(const QByteArray& body)
{
    QJsonParseError error{};
    QJsonDocument::fromJson(body, &error);
    return error.error == QJsonParseError::NoError;
}

// Sends the request with the bearer token, or fails as signed out with nothing sent.
void send(QNetworkAccessManager& session, const QUrl& server, const TokenProvider& accessToken,
          const QByteArray& method, const ReplyBounds& bounds, std::function<void(const HttpOutcome&)> done)
{
    const auto token = accessToken ? accessToken() : std::nullopt;
    if (!token || token->isEmpty()) {
        done(HttpReply{401, {}, {}});
        return;
    }
    QUrl url = server;
    url.setPath(QStringLiteral("/v1/me") + (method == "GET" ? QStringLiteral("/export") : QString()));
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
    performHttp(
        session,
        [request, method](QNetworkAccessManager& manager) {
            // Deleting must reach the server at most once; reading the export may be repeated.
            return method == "GET" ? manager.sendCustomRequest(request, method) : sendOnce(manager, request, method);
        },
        bounds, std::move(done));
}

}

AccountAPI::AccountAPI(QUrl server, QNetworkAccessManager& session, TokenProvider accessToken,
                       const ReplyBounds& exportReply, const ReplyBounds& deletionReply)
    : server_(std::move(server)), session_(session), accessToken_(std::move(accessToken)), exportBounds_(exportReply),
      deletionBounds_(deletionReply)
{
}

std::optional<QUrl> AccountAPI::serverFor(const QUrl& speechServer)
{
    const QString scheme = speechServer.scheme().toLower();
    if (speechServer.host().isEmpty() || (scheme != QLatin1String("wss") && scheme != QLatin1String("ws")))
        return std::nullopt;
    QUrl server;
    server.setScheme(scheme == QLatin1String("wss") ? QStringLiteral("https") : QStringLiteral("http"));
    server.setHost(speechServer.host());
    server.setPort(speechServer.port());
    return server;
}

void AccountAPI::exportData(std::function<void(const ExportResult&)> done) const
{
    send(session_, server_, accessToken_, "GET", exportBounds_, [done = std::move(done)](const HttpOutcome& outcome) {
        if (const auto* failed = std::get_if<HttpFailure>(&outcome))
            return done(AccountAPIError::unanswered(*failed));
        const HttpReply& reply = std::get<HttpReply>(outcome);
        if (reply.status != 200 && reply.status != 204)
            return done(failure(reply.status));
        if (!isJSON(reply.body))
            return done(AccountAPIError::server(reply.status));
        done(reply.body);
    });
}

void AccountAPI::deleteAccount(std::function<void(std::optional<AccountAPIError>)> done) const
{
    send(session_, server_, accessToken_, "DELETE", deletionBounds_,
         [done = std::move(done)](const HttpOutcome& outcome) {
             if (const auto* failed = std::get_if<HttpFailure>(&outcome))
                 return done(AccountAPIError::unanswered(*failed));
             const HttpReply& reply = std::get<HttpReply>(outcome);
             if (reply.status == 200 || reply.status == 204)
                 return done(std::nullopt);
             done(failure(reply.status));
         });
}
