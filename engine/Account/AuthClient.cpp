#include "Account/AuthClient.h"

#include "Core/HttpCall.h"
#include "Core/SendOnce.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSet>
#include <QUrlQuery>

namespace {

QString stringMember(const QJsonObject& json, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        const QJsonValue value = json.value(QLatin1String(key));
        if (value.isString() && !value.toString().isEmpty())
            return value.toString();
    }
    return {};
}

// The service's codes for a sign-in code or refresh token that can't be used (any more).
bool isSpentGrant(const QString& code)
{
    static const QSet<QString> codes{
        QStringLiteral("flow_state_not_found"),       QStringLiteral("flow_state_expired"),
        QStringLiteral("bad_code_verifier"),          QStringLiteral("refresh_token_not_found"),
        QStringLiteral("refresh_token_already_used"), QStringLiteral("session_expired"),
        QStringLiteral("session_not_found"),          QStringLiteral("invalid_grant"),
    };
    return codes.contains(code);
}

// What a refusal stands for. Error bodies come in two shapes ({"code": "<name>", "message"} or
// {"code": <status>, "error_code", "msg"}); the code also travels in a header.
AuthError refusal(const HttpReply& reply, bool grant)
{
    const QJsonObject json = QJsonDocument::fromJson(reply.body).object();
    QString code = QString::fromUtf8(reply.header("x-sb-error-code"));
    if (code.isEmpty())
        code = stringMember(json, {"error_code", "code", "error"});
    const QString message = stringMember(json, {"msg", "message", "error_description"});
    if (grant && isSpentGrant(code))
        return AuthError::invalidGrant();
    if (reply.status >= 400 && reply.status < 500 && !message.isEmpty())
        return AuthError::denied(message);
    const QString text = !message.isEmpty() ? message : code.isEmpty() ? QStringLiteral("no details") : code;
    return AuthError::server(reply.status, text);
}

QByteArray compact(const QJsonObject& json)
{
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

}

AuthClient::AuthClient(AuthConfig config, QNetworkAccessManager& session, WallTime wallTime, const ReplyBounds& bounds)
    : config_(std::move(config)), session_(session), wallTime_(std::move(wallTime)), bounds_(bounds)
{
}

QNetworkRequest AuthClient::request(const QString& path, const QList<std::pair<QString, QString>>& query) const
{
    QUrl url = config_.endpoint(path);
    QUrlQuery items;
    for (const auto& [key, value] : query)
        items.addQueryItem(key, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(items.query(QUrl::FullyEncoded), QUrl::StrictMode);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("apikey", config_.key.toUtf8());
    return request;
}

void AuthClient::sendEmailLink(const QString& email, const QString& challenge, const QUrl& redirect,
                               std::function<void(std::optional<AuthError>)> done) const
{
    // The service reads where to return from the query, never from the body.
    const QNetworkRequest request =
        this->request(QStringLiteral("otp"), {{QStringLiteral("redirect_to"), redirect.toString(QUrl::FullyEncoded)}});
    const QByteArray body = compact({
        {QStringLiteral("email"), email},
        {QStringLiteral("create_user"), true},
        {QStringLiteral("code_challenge"), challenge},
        {QStringLiteral("code_challenge_method"), QStringLiteral("s256")},
    });
    performHttp(
        session_, [request, body](QNetworkAccessManager& manager) { return sendOnce(manager, request, "POST", body); },
        bounds_,
        [done = std::move(done)](const HttpOutcome& outcome) {
            if (const auto* failed = std::get_if<HttpFailure>(&outcome))
                return done(AuthError::unanswered(*failed));
            const HttpReply& reply = std::get<HttpReply>(outcome);
            if (reply.status >= 200 && reply.status < 300)
                return done(std::nullopt);
            done(refusal(reply, false));
        });
}

QUrl AuthClient::googleAuthorizationURL(const QString& challenge, const QUrl& redirect) const
{
    return request(QStringLiteral("authorize"),
                   {
                       {QStringLiteral("provider"), QStringLiteral("google")},
                       {QStringLiteral("redirect_to"), redirect.toString(QUrl::FullyEncoded)},
                       {QStringLiteral("code_challenge"), challenge},
                       {QStringLiteral("code_challenge_method"), QStringLiteral("s256")},
                   })
        .url();
}

void AuthClient::exchange(const QString& code, const QString& verifier,
                          std::function<void(const SessionResult&)> done) const
{
    requestSession(QStringLiteral("pkce"),
                   {{QStringLiteral("auth_code"), code}, {QStringLiteral("code_verifier"), verifier}}, std::move(done));
}

void AuthClient::renew(const QString& refreshToken, std::function<void(const SessionResult&)> done) const
{
    requestSession(QStringLiteral("refresh_token"), {{QStringLiteral("refresh_token"), refreshToken}}, std::move(done));
}

void AuthClient::requestSession(const QString& grantType, const QJsonObject& body,
                                std::function<void(const SessionResult&)> done) const
{
    const QNetworkRequest request = this->request(QStringLiteral("token"), {{QStringLiteral("grant_type"), grantType}});
    const QByteArray bytes = compact(body);
    performHttp(
        session_,
        [request, bytes](QNetworkAccessManager& manager) { return sendOnce(manager, request, "POST", bytes); }, bounds_,
        [done = std::move(done), wallTime = wallTime_](const HttpOutcome& outcome) {
            if (const auto* failed = std::get_if<HttpFailure>(&outcome))
                return done(AuthError::unanswered(*failed));
            const HttpReply& reply = std::get<HttpReply>(outcome);
            if (reply.status != 200)
                return done(refusal(reply, true));
            if (auto session = AuthSession::fromServiceReply(QJsonDocument::fromJson(reply.body).object(), wallTime()))
                return done(*session);
            done(AuthError::server(reply.status, QStringLiteral("no session in the answer")));
        });
}

void AuthClient::signOut(const QString& accessToken, std::function<void()> done) const
{
    QNetworkRequest request = this->request(QStringLiteral("logout"), {});
    request.setRawHeader("Authorization", "Bearer " + accessToken.toUtf8());
    performHttp(
        session_, [request](QNetworkAccessManager& manager) { return sendOnce(manager, request, "POST"); }, bounds_,
        [done = std::move(done)](const HttpOutcome&) {
            if (done)
                done();
        });
}
