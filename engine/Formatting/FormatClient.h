#pragma once
// Sends inserted text to the formatting server to be rewritten in a writing style. It keeps no
// state between requests, never throws, and never touches the caller's text. A request ends
// within the configured time whatever the server does, and a reply is never read past a limit
// set by the text's length.

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

    // The longest reply body read for a text: a rewrite is about as long as what was dictated,
    // even with every letter escaped in JSON, so anything much longer is refused unread.
    static qint64 replyLimit(const QString& text);

    // Callable from any thread. The completion runs exactly once: at once for asSpoken (nothing
    // is sent), otherwise on the session's thread when the request ends.
    void format(const QString& text, DictationStyle style, const QStringList& hotwords, Completion done) const;

private:
    const FormatConfig config_;
    QNetworkAccessManager& session_;
    const TokenProvider token_;
};
