#pragma once
// Shares one kept recording, with the text the user confirmed, anonymously with the clip
// endpoint, and withdraws it later by the code the server gave back. Holds no state: any
// number of requests may run at once.

#include "Clips/UploadError.h"
#include "Core/BoundedReply.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>
#include <variant>

class QNetworkAccessManager;

class ClipUploader {
public:
    // The code the server gave the clip, or why it wasn't taken.
    using SendResult = std::variant<QString, UploadError>;
    // Nothing when the clip is gone from the server.
    using DeleteResult = std::optional<UploadError>;

    // Both answers are a short JSON object at most. An upload may take a while to go out.
    static constexpr ReplyBounds uploadBounds{64 * 1024, std::chrono::seconds(60), std::chrono::minutes(3)};
    static constexpr ReplyBounds withdrawalBounds{64 * 1024, std::chrono::seconds(20), std::chrono::seconds(30)};

    // Only the scheme, host and port of `endpoint` are kept (the formatting endpoint serves):
    // no path, query or user information travels with an anonymous upload. The session must
    // outlive the uploader and its requests.
    ClipUploader(const QUrl& endpoint, QNetworkAccessManager& session, const ReplyBounds& upload = uploadBounds,
                 const ReplyBounds& withdrawal = withdrawalBounds);

    const QUrl& baseURL() const { return baseURL_; }

    // Callable from any thread; the completion runs once, on the session's thread. An address
    // that is not HTTPS, or HTTP to this computer, sends nothing and fails at once (network).
    void send(const QByteArray& audio, const QString& heard, const QString& said, const QString& language,
              const QString& appVersion, std::function<void(const SendResult&)> done) const;
    // An empty code, or one that would name another resource ("." or ".."), stands for no
    // shared clip: nothing is sent and the withdrawal succeeds at once.
    void remove(const QString& code, std::function<void(const DeleteResult&)> done) const;

private:
    QUrl baseURL_;
    QNetworkAccessManager& session_;
    ReplyBounds uploadBounds_;
    ReplyBounds withdrawalBounds_;
};
