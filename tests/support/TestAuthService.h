#pragma once
// A loopback stand-in for the hosted auth service: it answers the e-mail link, code exchange,
// renewal and sign-out calls the way the service does, checks each PKCE verifier against the
// challenge its code was issued for, rotates refresh tokens, and plays the browser's part by
// handing out the return addresses a user's browser would end at.

#include "Account/AuthConfig.h"
#include "TestHttpServer.h"

#include <QJsonObject>
#include <QMap>
#include <QSet>

#include <functional>
#include <mutex>

class TestAuthService {
public:
    static inline const QString key = QStringLiteral("test-project-key");
    static constexpr qint64 sessionLifetime = 600;  // seconds

    // `now` is the service's calendar time in seconds since 1970, for the sessions' expiry.
    explicit TestAuthService(std::function<qint64()> now);

    AuthConfig config() const { return AuthConfig{server_.url(), key}; }
    TestHttpServer& server() { return server_; }

    // Where the browser returns after the user opens the last e-mailed link.
    QUrl emailLinkReturn() const;
    // Where the browser returns after the user agrees at Google on this authorisation page.
    QUrl googleReturn(const QUrl& authorizationURL);
    // Answers the next request to this path ("/auth/v1/token", "/auth/v1/otp") with this instead.
    void refuseNext(const QByteArray& path, const HttpResponse& refusal);

    // A JSON Web Token with this payload (its signature is not checked by the client).
    static QString token(const QJsonObject& payload);
    // base64url(SHA-256(verifier)), written out here from the definition.
    static QString challengeOf(const QString& verifier);

private:
    HttpResponse answer(const HttpRequest& request);
    HttpResponse session(const QString& provider);
    QUrl issueReturn(const QUrl& redirect, const QString& challenge, const QString& provider);

    std::function<qint64()> now_;
    mutable std::mutex mutex_;
    QMap<QString, std::pair<QString, QString>> codes_;  // code -> challenge, provider
    QSet<QString> refreshTokens_;
    QMap<QByteArray, HttpResponse> refusals_;
    QUrl lastLinkReturn_;
    int issued_ = 0;
    TestHttpServer server_;
};
