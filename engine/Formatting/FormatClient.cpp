#include "Formatting/FormatClient.h"

#include "Core/NetworkReply.h"
#include "Core/SendOnce.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cxxabi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <typeinfo>

namespace {

// Room in a reply for its JSON around the text, a reason, and a rewrite somewhat longer than the
// dictation; each byte of the text may come back as up to this many (a Persian letter is two
// bytes of UTF-8 and six escaped).
constexpr qint64 replyAllowance = 16 * 1024;
constexpr qint64 replyBytesPerTextByte = 8;

// The error's type as written in code, without its namespaces.
QString typeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                          &std::free);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled.get() : type.name());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? name : name.mid(colons + 2);
}

// Strings compare as the user sees them: canonically equivalent texts are the same text.
bool sameText(const QString& a, const QString& b)
{
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

FormatOutcome outcomeOfReply(const QByteArray& body, const QString& sentText)
{
    const FormatOutcome unreadable = FormatOutcome::failed(QStringLiteral("unreadable reply"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return unreadable;
    const QJsonObject reply = document.object();
    const QJsonValue text = reply.value(QLatin1String("text"));
    const QJsonValue status = reply.value(QLatin1String("status"));
    const QJsonValue reason = reply.value(QLatin1String("reason"));
    if (!text.isString() || !status.isString())
        return unreadable;
    if (!reason.isUndefined() && !reason.isNull() && !reason.isString())
        return unreadable;

    const QString rewritten = text.toString().trimmed();
    if (status.toString() == QLatin1String("ok") && !rewritten.isEmpty() && !sameText(rewritten, sentText.trimmed()))
        return FormatOutcome::improved(rewritten);
    if (reason.isString())
        return FormatOutcome::unchanged(status.toString(), reason.toString());
    return FormatOutcome::unchanged(status.toString());
}

FormatOutcome outcomeOf(QNetworkReply& reply, const QString& sentText)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200)
        return FormatOutcome::failed(QStringLiteral("HTTP ") + QString::number(status.toInt()));
    const QByteArray body = reply.readAll();
    QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError && isCutShort(reply, body.size()))
        error = QNetworkReply::RemoteHostClosedError;
    if (error != QNetworkReply::NoError)
        return FormatOutcome::failed(QStringLiteral("network: ") + QString::number(urlErrorCode(error)));
    if (!status.isValid())
        return FormatOutcome::failed(QStringLiteral("no HTTP response"));
    return outcomeOfReply(body, sentText);
}

}

qint64 FormatClient::replyLimit(const QString& text)
{
    return replyAllowance + replyBytesPerTextByte * text.toUtf8().size();
}

FormatClient::FormatClient(FormatConfig config, QNetworkAccessManager& session, TokenProvider token)
    : config_(std::move(config)), session_(session), token_(std::move(token))
{
}

void FormatClient::format(const QString& text, DictationStyle style, const QStringList& hotwords, Completion done) const
{
    if (style == DictationStyle::asSpoken) {
        done(FormatOutcome::unchanged(QStringLiteral("skipped")));
        return;
    }

    QNetworkRequest request(config_.endpoint);
    QByteArray body;
    const auto timeout = std::chrono::milliseconds(std::llround(std::clamp(config_.timeout * 1000, 0.0, 2e9)));
    const qint64 limit = replyLimit(text);
    try {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        std::optional<QString> token = token_ ? token_() : std::nullopt;
        if (!token)
            token = config_.token;
        if (token)
            request.setRawHeader(QByteArrayLiteral("Authorization"), "Bearer " + token->toUtf8());
        const QJsonObject json{
            {QStringLiteral("text"), text},
            {QStringLiteral("style"), DictationStyles::rawValue(style)},
            {QStringLiteral("hotwords"), QJsonArray::fromStringList(hotwords)},
        };
        body = QJsonDocument(json).toJson(QJsonDocument::Compact);
    } catch (const std::exception& error) {
        done(FormatOutcome::failed(typeName(typeid(error))));
        return;
    }

    // The session's replies belong to its thread; the request is started there.
    QNetworkAccessManager* session = &session_;
    QMetaObject::invokeMethod(session, [session, request, body, text, timeout, limit, done = std::move(done)] {
        QNetworkReply* reply = sendOnce(*session, request, QByteArrayLiteral("POST"), body);
        // Set when the request is ended before its reply is complete: a server that answers a
        // byte at a time never trips a time-out that waits for silence, nor may a reply grow
        // without end.
        const auto endedEarly = std::make_shared<std::optional<FormatOutcome>>();
        const auto endEarly = [reply, endedEarly](const QString& cause) {
            if (*endedEarly)
                return;
            *endedEarly = FormatOutcome::failed(cause);
            reply->abort();
        };
        QTimer::singleShot(timeout, reply, [endEarly] {
            endEarly(QStringLiteral("network: ") + QString::number(urlErrorCode(QNetworkReply::TimeoutError)));
        });
        // The body stays unread in the reply until it ends: what it holds is what has arrived.
        const auto checkLength = [reply, endEarly, limit] {
            const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
            if (reply->bytesAvailable() > limit || (announced.isValid() && announced.toLongLong() > limit))
                endEarly(QStringLiteral("reply too long"));
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, checkLength);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, checkLength);
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, text, endedEarly, done] {
            reply->deleteLater();
            done(*endedEarly ? **endedEarly : outcomeOf(*reply, text));
        });
    });
}
