#pragma once
// One HTTP request on a network access manager, read within its bounds and reduced to what its
// callers decide on: the status and body of the reply that arrived, or why none did.

#include "Core/BoundedReply.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

class QNetworkAccessManager;

struct HttpReply {
    int status = 0;  // 0 when the reply was not an HTTP response
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;

    QByteArray header(const QByteArray& name) const;  // case-insensitive; empty when absent
};

// Why no reply arrived whole: the transport's message (no connection, cut short), or the bound
// the reply broke.
struct HttpFailure {
    QString message;
    int code = 0;  // the URL-loading error code (urlErrorCode)
    std::optional<ReplyBreach> breach = std::nullopt;  // the bound the reply broke, if that is why
    bool requestSent = false;  // the request had reached the server

    // The reply was longer than its limit: there was a connection, and an answer.
    bool tooLong() const;
    // Nothing moved for the idle time: the connection was made, then the transfer stopped.
    bool stalled() const { return breach == ReplyBreach::stalled; }
    // The server had the request, and its answer stopped or ran out of time: there was a connection.
    bool slow() const { return requestSent && (breach == ReplyBreach::stalled || breach == ReplyBreach::overdue); }
};

// What the user is told of an answer longer than its limit.
QString tooLongAnswerText();

using HttpOutcome = std::variant<HttpReply, HttpFailure>;
using HttpStart = std::function<QNetworkReply*(QNetworkAccessManager&)>;

// Starts the request on the manager's thread; the completion runs once, on that thread. An error
// status stays the answer even when its page broke a bound: only its start is kept.
void performHttp(QNetworkAccessManager& session, HttpStart start, const ReplyBounds& bounds,
                 std::function<void(const HttpOutcome&)> done);
