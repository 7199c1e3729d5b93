#include "NetworkReply.h"

#include <utility>

namespace {

constexpr int unknown = -1;

// Errors that come from an HTTP status (4xx and 5xx) are not here: callers read the status.
constexpr std::pair<QNetworkReply::NetworkError, int> codes[] = {
    {QNetworkReply::ConnectionRefusedError, -1004},  // cannot connect to host
    {QNetworkReply::RemoteHostClosedError, -1005},  // network connection lost
    // The connection dropped after a request that is sent only once went out.
    {QNetworkReply::ContentReSendError, -1005},
    {QNetworkReply::HostNotFoundError, -1003},  // cannot find host
    {QNetworkReply::TimeoutError, -1001},  // timed out
    // Our requests are only ever aborted when they run out of time.
    {QNetworkReply::OperationCanceledError, -1001},
    {QNetworkReply::SslHandshakeFailedError, -1200},  // secure connection failed
    {QNetworkReply::TemporaryNetworkFailureError, -1009},  // not connected to the internet
    {QNetworkReply::NetworkSessionFailedError, -1009},
    {QNetworkReply::BackgroundRequestNotAllowedError, -1009},
    {QNetworkReply::TooManyRedirectsError, -1007},  // too many redirects
    {QNetworkReply::InsecureRedirectError, -1007},
    {QNetworkReply::ProxyConnectionRefusedError, -1004},
    {QNetworkReply::ProxyConnectionClosedError, -1005},
    {QNetworkReply::ProxyNotFoundError, -1003},
    {QNetworkReply::ProxyTimeoutError, -1001},
    {QNetworkReply::ProxyAuthenticationRequiredError, -1013},  // authentication required
    {QNetworkReply::ProtocolUnknownError, -1002},  // unsupported URL
    {QNetworkReply::ProtocolInvalidOperationError, -1002},
    {QNetworkReply::ProtocolFailure, -1017},  // cannot parse response
};

}

int urlErrorCode(QNetworkReply::NetworkError error)
{
    for (const auto& [qtError, code] : codes) {
        if (qtError == error)
            return code;
    }
    return unknown;
}

int urlErrorCode(ReplyBreach breach)
{
    return breach == ReplyBreach::tooLong ? replyTooLongCode : urlErrorCode(QNetworkReply::TimeoutError);
}

bool isCutShort(const QNetworkReply& reply, qsizetype receivedBytes)
{
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    return announced.isValid() && receivedBytes < announced.toLongLong();
}
