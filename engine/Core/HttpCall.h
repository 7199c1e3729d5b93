#pragma once
// One HTTP request on a network access manager, reduced to what its callers decide on: the status
// and body of the reply that arrived, or the transport's message when none did.

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QString>

#include <functional>
#include <variant>

class QNetworkAccessManager;

struct HttpReply {
    int status = 0;  // 0 when the reply was not an HTTP response
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;

    QByteArray header(const QByteArray& name) const;  // case-insensitive; empty when absent
};

// The transport's message when no reply arrived (no connection, timed out, cut short).
struct HttpFailure {
    QString message;
};

using HttpOutcome = std::variant<HttpReply, HttpFailure>;
using HttpStart = std::function<QNetworkReply*(QNetworkAccessManager&)>;

// Starts the request on the manager's thread; the completion runs once, on that thread.
void performHttp(QNetworkAccessManager& session, HttpStart start, std::function<void(const HttpOutcome&)> done);
