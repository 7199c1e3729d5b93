#pragma once
// Sends inserted text to the formatting server to be rewritten in a writing style. It keeps no
// state between requests, never throws, and never touches the caller's text.

#include "Core/TokenProvider.h"
#include "Formatting/DictationStyle.h"
#include "Formatting/FormatConfig.h"
#include "Formatting/FormatOutcome.h"

#include <QStringList>

#include <functional>

class QNetworkAccessManager;

class FormatClient final {
public:
    using Completion = std::function<void(const FormatOutcome&)>;

    // The session must outlive the client and every request it started.
    FormatClient(FormatConfig config, QNetworkAccessManager& session, TokenProvider token = {});

    const FormatConfig& config() const { return config_; }

    // Callable from any thread. The completion runs exactly once: at once for asSpoken (nothing
    // is sent), otherwise on the session's thread when the request ends.
    void format(const QString& text, DictationStyle style, const QStringList& hotwords, Completion done) const;

private:
    const FormatConfig config_;
    QNetworkAccessManager& session_;
    const TokenProvider token_;
};
