#include "Account/AuthSession.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>

namespace {

std::optional<QString> nonEmptyString(const QJsonValue& value)
{
    if (!value.isString() || value.toString().isEmpty())
        return std::nullopt;
    return value.toString();
}

// The token's middle part, decoded; empty when the token is not a JSON Web Token.
QJsonObject payload(const QString& token)
{
    const QStringList parts = token.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return {};
    const auto decoded = QByteArray::fromBase64Encoding(
        parts[1].toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    return QJsonDocument::fromJson(*decoded).object();
}

}

std::optional<QString> AuthSession::displayName() const
{
    const QJsonValue metadata = payload(accessToken).value(QLatin1String("user_metadata"));
    if (!metadata.isObject())
        return std::nullopt;
    const QJsonObject user = metadata.toObject();
    static const QRegularExpression blanks(QStringLiteral("\\s+"), QRegularExpression::UseUnicodePropertiesOption);
    // A blank full name says nothing, so the plain name may still have one.
    for (const char* key : {"full_name", "name"}) {
        const QStringList words = user.value(QLatin1String(key)).toString().split(blanks, Qt::SkipEmptyParts);
        if (!words.isEmpty())
            return words.first();
    }
    return std::nullopt;
}

std::optional<QString> AuthSession::provider() const
{
    const QJsonValue metadata = payload(accessToken).value(QLatin1String("app_metadata"));
    return nonEmptyString(metadata.toObject().value(QLatin1String("provider")));
}

std::optional<AuthSession> AuthSession::fromServiceReply(const QJsonObject& reply, qint64 now)
{
    const auto access = nonEmptyString(reply.value(QLatin1String("access_token")));
    const auto refresh = nonEmptyString(reply.value(QLatin1String("refresh_token")));
    if (!access || !refresh)
        return std::nullopt;
    AuthSession session;
    session.accessToken = *access;
    session.refreshToken = *refresh;
    const QJsonValue expiresAt = reply.value(QLatin1String("expires_at"));
    session.expiresAt = expiresAt.isDouble()
                            ? static_cast<qint64>(expiresAt.toDouble())
                            : now + static_cast<qint64>(reply.value(QLatin1String("expires_in")).toDouble());
    const QJsonObject user = reply.value(QLatin1String("user")).toObject();
    session.userID = user.value(QLatin1String("id")).toString();
    session.email = nonEmptyString(user.value(QLatin1String("email")));
    return session;
}

QByteArray AuthSession::encoded() const
{
    QJsonObject json{
        {QStringLiteral("access_token"), accessToken},
        {QStringLiteral("refresh_token"), refreshToken},
        {QStringLiteral("expires_at"), static_cast<double>(expiresAt)},
        {QStringLiteral("user_id"), userID},
    };
    if (email)
        json.insert(QStringLiteral("email"), *email);
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<AuthSession> AuthSession::decoded(const QByteArray& bytes)
{
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    if (!json.value(QLatin1String("expires_at")).isDouble() || !json.value(QLatin1String("user_id")).isString())
        return std::nullopt;
    auto session = fromServiceReply(json, 0);
    if (session) {
        session->userID = json.value(QLatin1String("user_id")).toString();
        session->email = nonEmptyString(json.value(QLatin1String("email")));
    }
    return session;
}
