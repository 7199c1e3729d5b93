#pragma once
// The hosted auth service's REST calls: the e-mailed sign-in link, the Google authorisation
// address, the PKCE code exchange, the session renewal and the sign-out. Every call the client
// makes carries the project key; completions run on the session's thread.

#include "Account/AuthConfig.h"
#include "Account/AuthError.h"
#include "Account/AuthSession.h"
#include "Account/WallTime.h"
#include "Core/BoundedReply.h"

#include <QNetworkRequest>

#include <chrono>
#include <functional>
#include <optional>
#include <variant>

class QNetworkAccessManager;

class AuthClient {
public:
    using SessionResult = std::variant<AuthSession, AuthError>;

    // Every answer is a short JSON object: a session with its tokens at most.
    static constexpr ReplyBounds replyBounds{64 * 1024, std::chrono::seconds(20), std::chrono::seconds(30)};

    // The session must outlive the client and its requests.
    AuthClient(AuthConfig config, QNetworkAccessManager& session, WallTime wallTime = systemWallTime,
               const ReplyBounds& bounds = replyBounds);

    // Asks the service to e-mail a link that returns the browser to `redirect` with a code.
    void sendEmailLink(const QString& email, const QString& challenge, const QUrl& redirect,
                       std::function<void(std::optional<AuthError>)> done) const;
    // The page the browser opens to sign in with Google; it returns to `redirect` with a code.
    QUrl googleAuthorizationURL(const QString& challenge, const QUrl& redirect) const;
    // Trades the code from the browser's return, with the verifier of its challenge, for a session.
    void exchange(const QString& code, const QString& verifier, std::function<void(const SessionResult&)> done) const;
    // A new session for the refresh token; the old refresh token is used up.
    void renew(const QString& refreshToken, std::function<void(const SessionResult&)> done) const;
    const AuthConfig& config() const { return config_; }

    // Ends the session on the service; the answer doesn't matter to the caller.
    void signOut(const QString& accessToken, std::function<void()> done) const;

private:
    void requestSession(const QString& grantType, const QJsonObject& body,
                        std::function<void(const SessionResult&)> done) const;
    QNetworkRequest request(const QString& path, const QList<std::pair<QString, QString>>& query) const;

    AuthConfig config_;
    QNetworkAccessManager& session_;
    WallTime wallTime_;
    ReplyBounds bounds_;
};
