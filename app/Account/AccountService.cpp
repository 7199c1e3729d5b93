#include "Account/AccountService.h"

#include "Account/KeychainSessionStore.h"
#include "Account/MemorySessionStore.h"
#include "Core/Log.h"
#include "Core/Settings.h"

namespace {

std::unique_ptr<SessionStore> storeFor(const AuthConfig& service)
{
    // Without a sign-in service there is no session to keep, and the desktop's secret store is
    // left alone: even reading it may ask the user to make a keyring.
    if (!service.isConfigured() || Environment::value("QUILLMARSH_ACCOUNT_SESSION") == QLatin1String("memory"))
        return std::make_unique<MemorySessionStore>();
    return std::make_unique<KeychainSessionStore>();
}

std::optional<QUrl> speechServer(const Settings& settings)
{
    const auto address =
        settings.lookup("QUILLMARSH_CLOUD_URL", QStringLiteral("cloudURL"), QStringLiteral("QuillmarshServerURL"));
    return address ? std::optional(QUrl(*address)) : std::nullopt;
}

}

AccountService::AccountService(const Settings& settings, QNetworkAccessManager& network, Clock& clock)
    : AccountService(settings, network, storeFor(AuthConfig::load(settings)), clock)
{
}

AccountService::AccountService(const Settings& settings, QNetworkAccessManager& network,
                               std::unique_ptr<SessionStore> store, Clock& clock)
    : store_(std::move(store)), client_(AuthConfig::load(settings), network),
      manager_(std::make_unique<AccountManager>(client_, *store_, clock))
{
    const auto server = speechServer(settings);
    if (const auto accountServer = server ? AccountAPI::serverFor(*server) : std::nullopt) {
        AccountManager* manager = manager_.get();
        api_ = std::make_unique<AccountAPI>(*accountServer, network, [manager] { return manager->accessToken(); });
    }
}

void AccountService::start(const QDBusConnection& bus)
{
    manager_->startRenewal();
    resume_ = std::make_unique<SystemResume>(bus);
    QObject::connect(resume_.get(), &SystemResume::resumed, resume_.get(),
                     [manager = manager_.get()] { manager->renewIfExpiring(); });
}

void AccountService::handleRefusal(const QString& code)
{
    if (code == QLatin1String("unauthorized"))
        manager_->renew();
}

void AccountService::completeSignIn(const QUrl& callback, std::function<void(std::optional<QString>)> done)
{
    manager_->handle(callback, [done = std::move(done)](std::optional<AuthError> error) {
        if (error) {
            Log::info(QStringLiteral("sign-in failed: ") + error->description());
            done(error->description());
            return;
        }
        Log::info(QStringLiteral("signed in"));
        done(std::nullopt);
    });
}
