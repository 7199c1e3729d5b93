#include "Clips/ClipUploader.h"

#include "Clips/ClipConsent.h"
#include "Core/HttpCall.h"
#include "Core/SendOnce.h"
#include "Core/ServerAddress.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// The failure a reply stands for: busy and down are told apart from refusals by their status.
UploadError failure(const HttpReply& reply)
{
    if (reply.status == 503)
        return UploadError::unavailable();
    if (reply.status == 429)
        return UploadError::rateLimited();
    const QJsonDocument document = QJsonDocument::fromJson(reply.body);
    const QJsonValue code = document.object().value(QLatin1String("error"));
    return UploadError::refused(document.isObject() && code.isString() ? code.toString() : QStringLiteral("error"));
}

// Recordings and texts travel encrypted, or plain only to this computer; nothing is sent otherwise.
std::optional<UploadError> addressRefusal(const QUrl& base)
{
    try {
        ServerAddress::requireSafe(base, QLatin1String("https"), QLatin1String("http"));
        return std::nullopt;
    } catch (const AddressError& error) {
        return UploadError::network(error.description());
    }
}

// A code that can stand in a path as one segment and name nothing but its own clip.
bool isUsableCode(const QString& code)
{
    return !code.isEmpty() && code != QLatin1String(".") && code != QLatin1String("..");
}

}

ClipUploader::ClipUploader(const QUrl& endpoint, QNetworkAccessManager& session, const ReplyBounds& upload,
                           const ReplyBounds& withdrawal)
    : session_(session), uploadBounds_(upload), withdrawalBounds_(withdrawal)
{
    baseURL_.setScheme(endpoint.scheme());
    baseURL_.setHost(endpoint.host());
    baseURL_.setPort(endpoint.port());
}

void ClipUploader::send(const QByteArray& audio, const QString& heard, const QString& said, const QString& language,
                        const QString& appVersion, std::function<void(const SendResult&)> done) const
{
    if (const auto refused = addressRefusal(baseURL_)) {
        done(*refused);
        return;
    }
    QUrl address = baseURL_;
    address.setPath(QStringLiteral("/v1/clips"));
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QJsonObject json{
        {QStringLiteral("audio"), QString::fromLatin1(audio.toBase64())},
        {QStringLiteral("heard"), heard},
        {QStringLiteral("said"), said},
        {QStringLiteral("language"), language},
        {QStringLiteral("consent"), ClipConsent::version()},
        {QStringLiteral("app_version"), appVersion},
    };
    const QByteArray body = QJsonDocument(json).toJson(QJsonDocument::Compact);
    performHttp(
        session_, [request, body](QNetworkAccessManager& manager) { return sendOnce(manager, request, "POST", body); },
        uploadBounds_,
        [done = std::move(done)](const HttpOutcome& outcome) {
            if (const auto* failed = std::get_if<HttpFailure>(&outcome)) {
                done(UploadError::unanswered(*failed));
                return;
            }
            const HttpReply& reply = std::get<HttpReply>(outcome);
            if (reply.status == 201) {
                const QJsonValue code = QJsonDocument::fromJson(reply.body).object().value(QLatin1String("code"));
                // An empty code could never withdraw the clip: it counts as no code.
                if (code.isString() && !code.toString().isEmpty()) {
                    done(code.toString());
                    return;
                }
            }
            done(failure(reply));
        });
}

void ClipUploader::remove(const QString& code, std::function<void(const DeleteResult&)> done) const
{
    if (!isUsableCode(code)) {
        done(std::nullopt);
        return;
    }
    if (const auto refused = addressRefusal(baseURL_)) {
        done(*refused);
        return;
    }
    // Escaped as one path segment, so a code can't reach past its own clip.
    const QByteArray segment = QUrl::toPercentEncoding(code);
    QUrl address = QUrl::fromEncoded(baseURL_.toEncoded() + "/v1/clips/" + segment, QUrl::StrictMode);
    QNetworkRequest request(address);
    const auto start = [request](QNetworkAccessManager& manager) { return sendOnce(manager, request, "DELETE"); };
    performHttp(session_, start, withdrawalBounds_, [done = std::move(done)](const HttpOutcome& outcome) {
        if (const auto* failed = std::get_if<HttpFailure>(&outcome)) {
            done(UploadError::unanswered(*failed));
            return;
        }
        const HttpReply& reply = std::get<HttpReply>(outcome);
        if (reply.status == 204 || reply.status == 404) {
            done(std::nullopt);
            return;
        }
        done(failure(reply));
    });
}
