#include "Formatting/FormatClient.h"

#include "Core/HttpCall.h"
#include "Core/SendOnce.h"
#include "Core/UnicodeText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

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

FormatOutcome outcomeOfReply(const QByteArray& body, const QString& sentText)
{
    FormatOutcome unreadable = FormatOutcome::failed(QStringLiteral("unreadable reply"));
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

FormatOutcome outcomeOf(const HttpOutcome& outcome, const QString& sentText)
{
    if (const auto* failed = std::get_if<HttpFailure>(&outcome))
        return FormatOutcome::failed(failed->tooLong() ? QStringLiteral("reply too long")
                                                       : QStringLiteral("network: ") + QString::number(failed->code));
    const HttpReply& reply = std::get<HttpReply>(outcome);
    if (reply.status == 0)
        return FormatOutcome::failed(QStringLiteral("no HTTP response"));
    if (reply.status != 200)
        return FormatOutcome::failed(QStringLiteral("HTTP ") + QString::number(reply.status));
    return outcomeOfReply(reply.body, sentText);
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

    // The time-out bounds the whole request, so a server that answers a byte at a time ends too.
    const ReplyBounds bounds{limit, timeout, timeout};
    performHttp(
        session_, [request, body](QNetworkAccessManager& session) { return sendOnce(session, request, "POST", body); },
        bounds, [text, done = std::move(done)](const HttpOutcome& outcome) { done(outcomeOf(outcome, text)); });
}
