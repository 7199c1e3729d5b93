#include "Core/HttpCall.h"

#include "Core/NetworkReply.h"

#include <QNetworkAccessManager>

QByteArray HttpReply::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

void performHttp(QNetworkAccessManager& session, HttpStart start, std::function<void(const HttpOutcome&)> done)
{
    QNetworkAccessManager* manager = &session;
    QMetaObject::invokeMethod(manager, [manager, start = std::move(start), done = std::move(done)] {
        QNetworkReply* reply = start(*manager);
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done] {
            reply->deleteLater();
            const QNetworkReply::NetworkError error = reply->error();
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const QByteArray body = reply->readAll();
            if (error == QNetworkReply::NoError && isCutShort(*reply, body.size())) {
                done(HttpFailure{QStringLiteral("Connection closed")});
                return;
            }
            // Qt raises an error for most 4xx and 5xx statuses too; those are replies like any
            // other. Only a failed connection (also one lost once a request that must not be resent had
            // gone out), or no status at all, means no reply arrived.
            const bool connectionFailed =
                (error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError)
                || error == QNetworkReply::ContentReSendError;
            if (error != QNetworkReply::NoError && (!status.isValid() || connectionFailed)) {
                done(HttpFailure{reply->errorString()});
                return;
            }
            done(HttpReply{status.isValid() ? status.toInt() : 0, body, reply->rawHeaderPairs()});
        });
    });
}
