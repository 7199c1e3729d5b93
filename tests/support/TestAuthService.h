#pragma once
// A loopback stand-in for the hosted auth service: it answers the e-mail link, code exchange,
// renewal and sign-out calls the way the service does, checks each PKCE verifier against the
// challenge its code was issued for, rotates refresh tokens, and plays the browser's part by
// handing out the return addresses a user's browser would end at.

#include "Account/AuthConfig.h"
#include "TestHttpServer.h"

#include <QJsonObject>
#include <QMap>

#include <functional>
#include <mutex>
#include <optional>

class TestAuthService {
public:
    static inline const QString key = QStringLiteral("test-project-key");

    // `now` is the service's calendar time in seconds since 1970, for the sessions' expiry.
    explicit TestAuthService(std::function<qint64()> now);

    AuthConfig config() const;
    TestHttpServer& server() { return server_; }

    // Where the browser returns after the user opens the last e-mailed link.
    QUrl emailLinkReturn() const;
    // Where the browser returns after the user agrees at Google on this authorisation page.
    QUrl googleReturn(const QUrl& authorizationURL);

    // Answers the next token request (exchange or renewal), or the next e-mail link request,
    // with this instead.
    void refuseNextToken(const HttpResponse& refusal);
    void refuseNextLink(const HttpResponse& refusal);
    // Sessions given from now on live this long (seconds).
    void setSessionLifetime(qint64 seconds);

    // A JSON Web Token with this payload (its signature is not checked by the client).
    static QString token(const QJsonObject& payload);
    // base64url(SHA-256(verifier)), written out here from the definition.
    static QString challengeOf(const QString& verifier);

private:
    struct Grant {
        QString challenge;
        QString provider;
    };

    HttpResponse session(const QString& provider);
    QString issueCode(const QString& challenge, const QString& provider);

    std::function<qint64()> now_;
    mutable std::mutex mutex_;
    QMap<QString, Grant> codes_;
    QUrl lastLinkReturn_;
    QMap<QString, QString> refreshTokens_;  // refresh token -> provider
    std::optional<HttpResponse> tokenRefusal_;
    std::optional<HttpResponse> linkRefusal_;
    qint64 lifetime_ = 3600;
    int issued_ = 0;
    TestHttpServer server_;
};
