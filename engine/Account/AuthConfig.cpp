#include "Account/AuthConfig.h"

#include "Core/Settings.h"

QUrl AuthConfig::callbackURL()
{
    return QUrl(callbackScheme + QStringLiteral("://") + callbackHost);
}

bool AuthConfig::isCallback(const QUrl& url)
{
    return url.scheme().toLower() == callbackScheme && url.host().toLower() == callbackHost;
}

AuthConfig AuthConfig::load(const Settings& settings)
{
    const auto url = settings.lookup("QUILLMARSH_SUPABASE_URL", {}, QStringLiteral("QuillmarshSupabaseURL"));
    const auto key = settings.lookup("QUILLMARSH_SUPABASE_KEY", {}, QStringLiteral("QuillmarshSupabaseKey"));
    return AuthConfig{QUrl(url.value_or(QString())), key.value_or(QString())};
}

bool AuthConfig::isConfigured() const
{
    const QString scheme = baseURL.scheme().toLower();
    return baseURL.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
           && !baseURL.host().isEmpty();
}

QUrl AuthConfig::endpoint(const QString& path) const
{
    QUrl url = baseURL;
    QString base = url.path();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    url.setPath(base + QStringLiteral("auth/v1/") + path);
    url.setQuery(QString());
    return url;
}
