#include "Core/HttpCall.h"

#include "Core/NetworkReply.h"
#include "Core/SafeRedirects.h"

#include <QNetworkAccessManager>

#include <memory>

namespace {

// What Qt holds of a reply between two reads, at most.
constexpr qint64 readBufferSize = 1024 * 1024;

HttpOutcome outcomeOf(QNetworkReply& reply, std::optional<ReplyBreach> breach, const QByteArray& body, bool requestSent)
{
    const QNetworkReply::NetworkError error = reply.error();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool succeeded = status.isValid() && status.toInt() >= 200 && status.toInt() < 300;
    if (breach && status.isValid() && !succeeded)
        return HttpReply{status.toInt(), body, reply.rawHeaderPairs()};
    if (breach)
        return HttpFailure{describe(*breach), urlErrorCode(*breach), breach, requestSent};
    if (const QString refused = SafeRedirects::refusal(reply); !refused.isEmpty())
        return HttpFailure{refused, urlErrorCode(QNetworkReply::InsecureRedirectError)};
    // A 204 or 304 has no body, whatever length it names.
    const bool bodyless = status.toInt() == 204 || status.toInt() == 304;
    if (error == QNetworkReply::NoError && !bodyless && isCutShort(reply, body.size()))
        return HttpFailure{QStringLiteral("Connection closed"), urlErrorCode(QNetworkReply::RemoteHostClosedError),
                           std::nullopt};
    // Qt raises an error for most 4xx and 5xx statuses too; those are replies like any other.
    // Only a failed connection (also one lost once a request that must not be resent had gone
    // out), or no status at all, means no reply arrived.
    const bool connectionFailed = (error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError)
                                  || error == QNetworkReply::ContentReSendError;
    if (error != QNetworkReply::NoError && (!status.isValid() || connectionFailed))
        return HttpFailure{reply.errorString(), urlErrorCode(error)};
    return HttpReply{status.isValid() ? status.toInt() : 0, body, reply.rawHeaderPairs()};
}

}

bool HttpFailure::tooLong() const
{
    return code == replyTooLongCode;
}

QString tooLongAnswerText()
{
    return QStringLiteral("The server\u2019s answer was too long.");
}

QByteArray HttpReply::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

void performHttp(QNetworkAccessManager& session, HttpStart start, const ReplyBounds& bounds,
                 std::function<void(const HttpOutcome&)> done)
{
    QNetworkAccessManager* manager = &session;
    QMetaObject::invokeMethod(manager, [manager, bounds, start = std::move(start), done = std::move(done)] {
        QNetworkReply* reply = start(*manager);
        reply->setReadBufferSize(std::min(bounds.maxBytes + 1, readBufferSize));
        BoundedReply* bounded = &BoundedReply::watch(*reply, bounds);
        const auto body = std::make_shared<QByteArray>();
        const auto sent = std::make_shared<bool>(false);
        QObject::connect(reply, &QNetworkReply::requestSent, reply, [sent] { *sent = true; });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [bounded, body] { bounded->readInto(*body); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, bounded, body, sent, done] {
            reply->deleteLater();
            bounded->readInto(*body);
            done(outcomeOf(*reply, bounded->breach(), *body, *sent));
        });
    });
}
