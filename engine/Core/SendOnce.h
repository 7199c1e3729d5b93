#pragma once
// Requests that store or remove something on a server must reach it at most once per attempt.
// When a connection drops after a request went out, Qt's HTTP layer sends it again on a new
// connection; a body that can't be rewound makes it fail that request instead.

#include <QByteArray>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// Starts `verb` (POST, DELETE, ...) with `body` on the manager's thread. A connection lost after
// the request was sent ends the reply with QNetworkReply::ContentReSendError.
QNetworkReply* sendOnce(QNetworkAccessManager& manager, const QNetworkRequest& request, const QByteArray& verb,
                        const QByteArray& body = {});
