#pragma once
// Where the speech server is, the fallback token, the language and the time limits of a
// dictation on the server.

#include <QString>
#include <QUrl>

#include <optional>

struct CloudConfig {
    QUrl url;
    // Used in the start message when the token provider has none.
    std::optional<QString> token;
    QString language = QStringLiteral("fa-IR");
    // The wait for the final text after finish: finishTimeout + finishTimeoutPerSecond per
    // second of streamed audio, at most finishTimeoutMax (seconds).
    double finishTimeout = 4.0;
    double finishTimeoutPerSecond = 0.25;
    double finishTimeoutMax = 20.0;
    // Time the server has to send its ready message.
    double connectTimeout = 5.0;

    CloudConfig(QUrl address, std::optional<QString> fallbackToken)
        : url(std::move(address)), token(std::move(fallbackToken))
    {
    }

    // Throws CloudError unless the address is "wss", or "ws" to this machine only.
    void validate() const;
};
