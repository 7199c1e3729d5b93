#pragma once
// A signed-in session: the tokens the auth service gave, when the access token expires, and who
// is signed in. Who and how are read from the access token itself (a JSON Web Token).

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

struct AuthSession {
    QString accessToken;
    QString refreshToken;
    qint64 expiresAt = 0;  // seconds since 1970
    QString userID;
    std::optional<QString> email;

    // The first word of the user's full name (else of their name, when the full name is blank)
    // in the token's user metadata.
    std::optional<QString> displayName() const;
    // How the user first signed in ("email", "google"), from the token's app metadata.
    std::optional<QString> provider() const;

    // The service's session answer; nothing when a token is missing. Without "expires_at" the
    // expiry is counted from `now` (seconds since 1970).
    static std::optional<AuthSession> fromServiceReply(const QJsonObject& reply, qint64 now);

    // The form kept in the secret store; nothing when the stored bytes are not a session.
    QByteArray encoded() const;
    static std::optional<AuthSession> decoded(const QByteArray& bytes);

    bool operator==(const AuthSession&) const = default;
};
