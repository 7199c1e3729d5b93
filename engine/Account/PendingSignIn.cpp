#include "Account/PendingSignIn.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray PendingSignIn::encoded() const
{
    const QJsonObject json{
        {QStringLiteral("verifier"), verifier},
        {QStringLiteral("state"), state},
        {QStringLiteral("started_at"), static_cast<double>(startedAt)},
    };
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<PendingSignIn> PendingSignIn::decoded(const QByteArray& bytes)
{
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    const QJsonValue verifier = json.value(QLatin1String("verifier"));
    const QJsonValue state = json.value(QLatin1String("state"));
    const QJsonValue startedAt = json.value(QLatin1String("started_at"));
    if (!verifier.isString() || !state.isString() || !startedAt.isDouble())
        return std::nullopt;
    return PendingSignIn{verifier.toString(), state.toString(), static_cast<qint64>(startedAt.toDouble())};
}
