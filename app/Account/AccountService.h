#pragma once
// The accounts subsystem as the application runs it: the session store (the desktop's secret
// store, or memory when "QUILLMARSH_ACCOUNT_SESSION" is "memory" or no sign-in service is
// configured), the auth service's client, the account manager with its renewal, and the account
// server's client when the speech-server setting names a server it can sit beside.

#include "Account/AccountAPI.h"
#include "Account/AccountManager.h"
#include "Account/AuthClient.h"
#include "Account/SessionStore.h"
#include "SystemResume.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class Settings;

class AccountService {
public:
    // The network access manager lives on the main thread and outlives the service.
    AccountService(const Settings& settings, QNetworkAccessManager& network, Clock& clock = Clock::system());
    // With a store of the caller's (tests, screenshots).
    AccountService(const Settings& settings, QNetworkAccessManager& network, std::unique_ptr<SessionStore> store,
                   Clock& clock = Clock::system());

    AccountManager& manager() { return *manager_; }
    // Absent when no account server can be derived from the speech-server setting.
    AccountAPI* api() { return api_.get(); }

    // Starts the renewal timer, and runs its check on each wake that `bus` tells of (the system
    // bus, or a test's): a session that expired while the computer slept is renewed at once.
    void start(const QDBusConnection& bus = QDBusConnection::systemBus());
    // The speech router's refusals: "unauthorized" means the access token was turned down.
    void handleRefusal(const QString& code);
    // Finishes a sign-in from the browser's return and logs the outcome; the completion gets
    // nothing on success, else the sentence to show.
    void completeSignIn(const QUrl& callback, std::function<void(std::optional<QString>)> done);

private:
    std::unique_ptr<SessionStore> store_;
    AuthClient client_;
    std::unique_ptr<AccountManager> manager_;
    std::unique_ptr<AccountAPI> api_;
    std::unique_ptr<SystemResume> resume_;
};
