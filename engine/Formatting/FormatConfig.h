#pragma once
// Where the formatting server is and how long a request may take. By default it lives on the
// speech server's host.

#include <QString>
#include <QUrl>

#include <optional>

struct FormatConfig {
    QUrl endpoint;
    // Used when the token provider gives none.
    std::optional<QString> token;
    // Seconds the whole request may take, from sending to the reply's last byte.
    double timeout = 7.0;

    explicit FormatConfig(QUrl endpointURL, std::optional<QString> fallbackToken = std::nullopt)
        : endpoint(std::move(endpointURL)), token(std::move(fallbackToken))
    {
    }

    // "/v1/format" on the speech server's host: ws becomes http and wss https, the query and
    // fragment go. Nothing for any other scheme or an address that can't be parsed.
    static std::optional<FormatConfig> from(const QUrl& streamURL, std::optional<QString> token);

    // Throws AddressError unless the endpoint is HTTPS, or HTTP to this computer.
    void validate() const;

    bool operator==(const FormatConfig&) const = default;
};
