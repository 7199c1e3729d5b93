#pragma once
// The account server's calls for the signed-in user: download what the server holds, and
// delete the account. Each carries the access token as its bearer; without a token nothing is
// sent. Completions run on the session's thread.

#include "Account/AccountAPIError.h"
#include "Core/BoundedReply.h"
#include "Core/TokenProvider.h"

#include <QByteArray>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>
#include <variant>

class QNetworkAccessManager;

class AccountAPI {
public:
    using ExportResult = std::variant<QByteArray, AccountAPIError>;

    // The export is the account's whole data; a deletion is answered with a short JSON object at most.
    static constexpr ReplyBounds exportBounds{64 * 1024 * 1024, std::chrono::seconds(15), std::chrono::minutes(2)};
    static constexpr ReplyBounds deletionBounds{64 * 1024, std::chrono::seconds(15), std::chrono::seconds(30)};

    // The session must outlive the client and its requests.
    AccountAPI(QUrl server, QNetworkAccessManager& session, TokenProvider accessToken,
               const ReplyBounds& exportReply = exportBounds, const ReplyBounds& deletionReply = deletionBounds);

    // The account server beside a speech server: the same host and port over HTTPS (HTTP for
    // "ws"); nothing for an address that isn't a speech server's.
    static std::optional<QUrl> serverFor(const QUrl& speechServer);

    const QUrl& server() const { return server_; }

    // The account's data as the server's JSON. An answer with no JSON in it is a failure: an
    // empty file must never pass for the account's data.
    void exportData(std::function<void(const ExportResult&)> done) const;
    void deleteAccount(std::function<void(std::optional<AccountAPIError>)> done) const;

private:
    QUrl server_;
    QNetworkAccessManager& session_;
    TokenProvider accessToken_;
    ReplyBounds exportBounds_;
    ReplyBounds deletionBounds_;
};
