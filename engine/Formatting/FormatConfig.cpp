#include "Formatting/FormatConfig.h"

#include "Core/ServerAddress.h"

std::optional<FormatConfig> FormatConfig::from(const QUrl& streamURL, std::optional<QString> token)
{
    if (!streamURL.isValid())
        return std::nullopt;
    const QString scheme = streamURL.scheme().toLower();
    QUrl endpoint = streamURL;
    if (scheme == QLatin1String("ws"))
        endpoint.setScheme(QStringLiteral("http"));
    else if (scheme == QLatin1String("wss"))
        endpoint.setScheme(QStringLiteral("https"));
    else if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    endpoint.setPath(QStringLiteral("/v1/format"));
    endpoint.setQuery(QString());
    endpoint.setFragment(QString());
    if (!endpoint.isValid())
        return std::nullopt;
    return FormatConfig(endpoint, std::move(token));
}

void FormatConfig::validate() const
{
    ServerAddress::requireSafe(endpoint, QLatin1String("https"), QLatin1String("http"));
}
