#include "Formatting/FormatClient.h"

#include "Core/NetworkReply.h"
#include "Core/SendOnce.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace {

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
    try {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setTransferTimeout(static_cast<int>(std::clamp(config_.timeout * 1000, 0.0, 2'000'000'000.0)));
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
    QMetaObject::invokeMethod(session, [session, request, body, text, done = std::move(done)] {
        QNetworkReply* reply = sendOnce(*session, request, QByteArrayLiteral("POST"), body);
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, text, done] {
            reply->deleteLater();
            done(outcomeOf(*reply, text));
        });
    });
}
