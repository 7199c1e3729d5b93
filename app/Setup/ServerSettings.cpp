#include "ServerSettings.h"

#include "Cloud/CloudError.h"
#include "Core/Log.h"
#include "Core/Settings.h"

namespace {

// Checks a configuration; a bad one is logged with its prefix and dropped.
template <typename Config>
std::optional<Config> validated(Config config, const QString& logPrefix)
{
    try {
        config.validate();
        return config;
    } catch (const Error& error) {
        Log::info(logPrefix + error.description());
        return std::nullopt;
    }
}

}

std::optional<QString> CloudSettings::token(const Settings& settings)
{
    return settings.lookup("QUILLMARSH_SERVER_TOKEN", QStringLiteral("cloudToken"));
}

std::optional<CloudConfig> CloudSettings::load(const Settings& settings)
{
    const auto address =
        settings.lookup("QUILLMARSH_CLOUD_URL", QStringLiteral("cloudURL"), QStringLiteral("QuillmarshServerURL"));
    if (!address)
        return std::nullopt;
    return validated(CloudConfig(QUrl(*address, QUrl::StrictMode), token(settings)),
                     QStringLiteral("speech server setting ignored: "));
}

std::optional<FormatConfig> FormatSettings::load(const Settings& settings, const std::optional<CloudConfig>& cloud)
{
    std::optional<FormatConfig> config;
    if (const auto address = settings.lookup("QUILLMARSH_FORMAT_URL", QStringLiteral("formatURL")))
        config = FormatConfig(QUrl(*address, QUrl::StrictMode), token(settings));
    else if (cloud)
        config = FormatConfig::from(cloud->url, token(settings));
    if (!config)
        return std::nullopt;
    return validated(*config, QStringLiteral("formatting setting ignored: "));
}

std::optional<QString> FormatSettings::token(const Settings& settings)
{
    if (auto token = settings.lookup(nullptr, QStringLiteral("formatToken")))
        return token;
    return CloudSettings::token(settings);
}
