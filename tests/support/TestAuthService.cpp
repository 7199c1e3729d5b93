#include "TestAuthService.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QUrlQuery>

namespace {

QJsonObject bodyOf(const HttpRequest& request)
{
    return QJsonDocument::fromJson(request.body).object();
}

QString queryItem(const QByteArray& target, const QString& name)
{
    const qsizetype start = target.indexOf('?');
    return QUrlQuery(QString::fromLatin1(start < 0 ? QByteArray() : target.mid(start + 1)))
        .queryItemValue(name, QUrl::FullyDecoded);
}

HttpResponse refusal(int status, const QByteArray& code)
{
    HttpResponse response = HttpResponse::json(status, R"({"code":")" + code + R"(","message":"refused"})");
    response.headers.append({"x-sb-error-code", code});
    return response;
}

QUrl withCode(const QUrl& redirect, const QString& code)
{
    QUrl url = redirect;
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("code"), code);
    url.setQuery(query);
    return url;
}

}

TestAuthService::TestAuthService(std::function<qint64()> now) : now_(std::move(now))
{
    server_.route("POST", "/auth/v1/otp", [this](const HttpRequest& request) {
        const QJsonObject body = bodyOf(request);
        std::lock_guard lock(mutex_);
        if (linkRefusal_)
            return *std::exchange(linkRefusal_, std::nullopt);
        const QString code = issueCode(body.value(QLatin1String("code_challenge")).toString(), QStringLiteral("email"));
        lastLinkReturn_ = withCode(QUrl(queryItem(request.target, QStringLiteral("redirect_to"))), code);
        return HttpResponse::json(200, "{}");
    });
    server_.route("POST", "/auth/v1/token", [this](const HttpRequest& request) {
        const QJsonObject body = bodyOf(request);
        std::lock_guard lock(mutex_);
        if (tokenRefusal_)
            return *std::exchange(tokenRefusal_, std::nullopt);
        if (queryItem(request.target, QStringLiteral("grant_type")) == QLatin1String("pkce")) {
            const QString code = body.value(QLatin1String("auth_code")).toString();
            if (!codes_.contains(code))
                return refusal(404, "flow_state_not_found");
            if (challengeOf(body.value(QLatin1String("code_verifier")).toString()) != codes_[code].challenge)
                return refusal(400, "bad_code_verifier");
            return session(codes_.take(code).provider);
        }
        const QString refreshToken = body.value(QLatin1String("refresh_token")).toString();
        if (!refreshTokens_.contains(refreshToken))
            return refusal(400, "refresh_token_not_found");
        return session(refreshTokens_.take(refreshToken));
    });
    server_.route("POST", "/auth/v1/logout", [](const HttpRequest&) { return HttpResponse::text(204, {}); });
}

AuthConfig TestAuthService::config() const
{
    return AuthConfig{server_.url(), key};
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
    const QString code =
        issueCode(query.queryItemValue(QStringLiteral("code_challenge"), QUrl::FullyDecoded), QStringLiteral("google"));
    return withCode(QUrl(query.queryItemValue(QStringLiteral("redirect_to"), QUrl::FullyDecoded)), code);
}

void TestAuthService::refuseNextToken(const HttpResponse& response)
{
    std::lock_guard lock(mutex_);
    tokenRefusal_ = response;
}

void TestAuthService::refuseNextLink(const HttpResponse& response)
{
    std::lock_guard lock(mutex_);
    linkRefusal_ = response;
}

void TestAuthService::setSessionLifetime(qint64 seconds)
{
    std::lock_guard lock(mutex_);
    lifetime_ = seconds;
}

QString TestAuthService::issueCode(const QString& challenge, const QString& provider)
{
    const QString code = QStringLiteral("code-%1").arg(++issued_);
    codes_.insert(code, Grant{challenge, provider});
    return code;
}

HttpResponse TestAuthService::session(const QString& provider)
{
    const qint64 expiresAt = now_() + lifetime_;
    const QString refreshToken = QStringLiteral("refresh-%1").arg(++issued_);
    refreshTokens_.insert(refreshToken, provider);
    const QJsonObject payload{
        {QStringLiteral("sub"), QStringLiteral("user-1")},
        {QStringLiteral("email"), QStringLiteral("sara@example.com")},
        {QStringLiteral("exp"), static_cast<double>(expiresAt)},
        {QStringLiteral("user_metadata"), QJsonObject{{QStringLiteral("full_name"), QStringLiteral("Sara Ahmadi")}}},
        {QStringLiteral("app_metadata"), QJsonObject{{QStringLiteral("provider"), provider}}},
    };
    const QJsonObject reply{
        {QStringLiteral("access_token"), token(payload)},
        {QStringLiteral("token_type"), QStringLiteral("bearer")},
        {QStringLiteral("expires_in"), static_cast<double>(lifetime_)},
        {QStringLiteral("expires_at"), static_cast<double>(expiresAt)},
        {QStringLiteral("refresh_token"), refreshToken},
        {QStringLiteral("user"), QJsonObject{{QStringLiteral("id"), QStringLiteral("user-1")},
                                             {QStringLiteral("email"), QStringLiteral("sara@example.com")}}},
    };
    return HttpResponse::json(200, QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

QString TestAuthService::token(const QJsonObject& payload)
{
    const auto part = [](const QByteArray& bytes) {
        return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    };
    return QString::fromLatin1(part(R"({"alg":"HS256","typ":"JWT"})") + '.'
                               + part(QJsonDocument(payload).toJson(QJsonDocument::Compact)) + '.' + part("signature"));
}

QString TestAuthService::challengeOf(const QString& verifier)
{
    const QByteArray digest = QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}
