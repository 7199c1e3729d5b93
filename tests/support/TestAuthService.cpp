#include "TestAuthService.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QUrlQuery>

namespace {

HttpResponse refusal(int status, const QByteArray& code)
{
    HttpResponse response = HttpResponse::json(status, R"({"code":")" + code + R"(","message":"refused"})");
    response.headers.append(qMakePair(QByteArray("x-sb-error-code"), code));
    return response;
}

QString base64url(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

}

TestAuthService::TestAuthService(std::function<qint64()> now) : now_(std::move(now))
{
    for (const char* path : {"/auth/v1/otp", "/auth/v1/token", "/auth/v1/logout"})
        server_.route("POST", path, [this](const HttpRequest& request) { return answer(request); });
}

HttpResponse TestAuthService::answer(const HttpRequest& request)
{
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    const QUrlQuery query(QString::fromLatin1(request.target.mid(request.target.indexOf('?') + 1)));
    const auto member = [&](const char* name) { return body.value(QLatin1String(name)).toString(); };
    std::lock_guard lock(mutex_);
    if (refusals_.contains(request.path()))
        return refusals_.take(request.path());
    if (request.path() == "/auth/v1/logout")
        return HttpResponse::text(204, {});
    if (request.path() == "/auth/v1/otp") {
        const QUrl redirect(query.queryItemValue(QStringLiteral("redirect_to"), QUrl::FullyDecoded));
        lastLinkReturn_ = issueReturn(redirect, member("code_challenge"), QStringLiteral("email"));
        return HttpResponse::json(200, "{}");
    }
    if (query.queryItemValue(QStringLiteral("grant_type")) == QLatin1String("pkce")) {
        const auto grant = codes_.take(member("auth_code"));
        if (grant.first.isEmpty() || challengeOf(member("code_verifier")) != grant.first)
            return refusal(404, "flow_state_not_found");
        return session(grant.second);
    }
    if (!refreshTokens_.remove(member("refresh_token")))
        return refusal(400, "refresh_token_not_found");
    return session(QStringLiteral("email"));
}

QUrl TestAuthService::emailLinkReturn() const
{
    std::lock_guard lock(mutex_);
    return lastLinkReturn_;
}

QUrl TestAuthService::googleReturn(const QUrl& authorizationURL)
{
    const QUrlQuery query(authorizationURL);
    std::lock_guard lock(mutex_);
    return issueReturn(QUrl(query.queryItemValue(QStringLiteral("redirect_to"), QUrl::FullyDecoded)),
                       query.queryItemValue(QStringLiteral("code_challenge")), QStringLiteral("google"));
}

void TestAuthService::refuseNext(const QByteArray& path, const HttpResponse& response)
{
    std::lock_guard lock(mutex_);
    refusals_.insert(path, response);
}

QUrl TestAuthService::issueReturn(const QUrl& redirect, const QString& challenge, const QString& provider)
{
    const QString code = QStringLiteral("code-%1").arg(++issued_);
    codes_.insert(code, {challenge, provider});
    QUrl url = redirect;
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("code"), code);
    url.setQuery(query);
    return url;
}

HttpResponse TestAuthService::session(const QString& provider)
{
    const qint64 expiresAt = now_() + sessionLifetime;
    const QString refreshToken = QStringLiteral("refresh-%1").arg(++issued_);
    refreshTokens_.insert(refreshToken);
    const QJsonObject payload{
        {"email", "sara@example.com"},
        {"user_metadata", QJsonObject{{"full_name", "Sara Ahmadi"}}},
        {"app_metadata", QJsonObject{{"provider", provider}}},
    };
    const QJsonObject reply{
        {"access_token", token(payload)},
        {"expires_at", static_cast<double>(expiresAt)},
        {"refresh_token", refreshToken},
        {"user", QJsonObject{{"id", "user-1"}, {"email", "sara@example.com"}}},
    };
    return HttpResponse::json(200, QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

QString TestAuthService::token(const QJsonObject& payload)
{
    return base64url(R"({"alg":"HS256"})") + '.' + base64url(QJsonDocument(payload).toJson(QJsonDocument::Compact))
           + QStringLiteral(".signature");
}

QString TestAuthService::challengeOf(const QString& verifier)
{
    return base64url(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256));
}
