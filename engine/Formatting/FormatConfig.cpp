#include "Formatting/FormatConfig.h"

#include "Cloud/CloudError.h"

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
    const QString address = endpoint.toString(QUrl::FullyEncoded);
    const QString scheme = endpoint.scheme().toLower();
    const QString host = endpoint.host().toLower();
    if (scheme.isEmpty() || host.isEmpty())
        throw CloudError::badURL(address);
    if (scheme == QLatin1String("https"))
        return;
    if (scheme == QLatin1String("http")
        && (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1")))
        return;
    throw CloudError::insecureURL(address);
}
