#include "Account/AccountManager.h"

#include "Account/PKCE.h"
#include "Account/SessionStore.h"
#include "Core/Log.h"

#include <QRegularExpression>
#include <QUrlQuery>

namespace {

QString randomState()
{
    return PKCE::make().verifier.left(22);  // 128 bits of the secure random source
}

// The service's codes are short tokens; anything else can't be one of its codes.
bool looksLikeCode(const QString& code)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._~-]{1,512}$"));
    return pattern.match(code).hasMatch();
}

}

AccountManager::AccountManager(AuthClient& client, SessionStore& store, Clock& clock, WallTime wallTime)
    : client_(client), store_(store), clock_(clock), wallTime_(std::move(wallTime))
{
    state_ = store_.session();
    accessToken_ = state_ ? std::optional(state_->accessToken) : std::nullopt;
}

AccountManager::~AccountManager()
{
    if (renewalCheck_)
        renewalCheck_->cancel();
}

std::optional<QString> AccountManager::accessToken() const
{
    std::lock_guard lock(tokenMutex_);
    return accessToken_;
}

void AccountManager::setState(State state)
{
    state_ = std::move(state);
    {
        std::lock_guard lock(tokenMutex_);
        accessToken_ = state_ ? std::optional(state_->accessToken) : std::nullopt;
    }
    store_.setSession(state_);
    if (onChange)
        onChange();
}

std::pair<PendingSignIn, QUrl> AccountManager::newSignIn(const QString& verifier) const
{
    const PendingSignIn pending{verifier, randomState(), wallTime_()};
    QUrl redirect = AuthConfig::callbackURL();
    redirect.setQuery(QStringLiteral("state=") + pending.state);
    return {pending, redirect};
}

void AccountManager::beginEmail(const QString& address, const Completion& done)
{
    const PKCE pkce = PKCE::make();
    const auto [pending, redirect] = newSignIn(pkce.verifier);
    client_.sendEmailLink(address.trimmed(), pkce.challenge, redirect,
                          alive_.whileAlive([this, pending = pending, done](const std::optional<AuthError>& error) {
                              if (!error)
                                  store_.setPending(pending);
                              done(error);
                          }));
}

QUrl AccountManager::beginGoogle()
{
    const PKCE pkce = PKCE::make();
    auto [pending, redirect] = newSignIn(pkce.verifier);
    store_.setPending(pending);
    return client_.googleAuthorizationURL(pkce.challenge, redirect);
}

void AccountManager::handle(const QUrl& callback, Completion done)
{
    // Reading the store may wait on the desktop's secret service, and the exchange on the
    // network: the same return handed over again meanwhile would send its code a second time,
    // and the exchange that lost would sign the user out.
    if (finishingSignIn_) {
        Log::info(QStringLiteral("sign-in return ignored: a sign-in is already being finished"));
        return;
    }
    finishingSignIn_ = true;
    const Completion finish = [this, done = std::move(done)](std::optional<AuthError> error) {
        finishingSignIn_ = false;
        done(std::move(error));
    };
    const QUrlQuery query(callback);
    // The service writes its query as a form does, with "+" for a space.
    const auto item = [&](const char* name) {
        const QString encoded = query.queryItemValue(QLatin1String(name), QUrl::FullyEncoded);
        return QUrl::fromPercentEncoding(QString(encoded).replace(u'+', QStringLiteral("%20")).toUtf8());
    };
    const auto pending = store_.pending();
    if (!AuthConfig::isCallback(callback) || !pending || pending->expired(wallTime_())
        || pending->state != item("state")) {
        finish(AuthError::noPendingSignIn());
        return;
    }
    // The service came back with a refusal (for example, consent withheld at Google).
    const QString refusal = item("error_description").isEmpty() ? item("error") : item("error_description");
    if (!refusal.isEmpty()) {
        store_.setPending(std::nullopt);
        finish(AuthError::denied(refusal));
        return;
    }
    const QString code = item("code");
    if (!looksLikeCode(code)) {
        finish(AuthError::noPendingSignIn());
        return;
    }
    // Taken before the exchange, so the same return handed over later can't sign in twice.
    store_.setPending(std::nullopt);
    client_.exchange(code, pending->verifier,
                     alive_.whileAlive([this, pending = *pending, finish](const AuthClient::SessionResult& result) {
                         finishSignIn(pending, result, finish);
                     }));
}

void AccountManager::finishSignIn(const PendingSignIn& pending, const AuthClient::SessionResult& result,
                                  const Completion& done)
{
    if (const auto* session = std::get_if<AuthSession>(&result)) {
        setState(*session);
        done(std::nullopt);
        return;
    }
    const AuthError& error = std::get<AuthError>(result);
    if (error.kind() == AuthError::Kind::invalidGrant) {
        if (state_)
            setState(std::nullopt);
    } else if (!store_.pending()) {
        // The code may still work once the connection is back: keep the sign-in open for it.
        store_.setPending(pending);
    }
    done(error);
}

void AccountManager::signOut(std::function<void()> done)
{
    const State previous = state_;
    store_.setPending(std::nullopt);
    setState(std::nullopt);
    Log::info(QStringLiteral("signed out"));
    if (!previous) {
        if (done)
            done();
        return;
    }
    client_.signOut(previous->accessToken, [done = std::move(done)] {
        if (done)
            done();
    });
}

void AccountManager::startRenewal()
{
    renewIfExpiring();
    scheduleRenewalCheck();
}

void AccountManager::scheduleRenewalCheck()
{
    if (renewalCheck_)
        renewalCheck_->cancel();
    renewalCheck_ = clock_.schedule(renewalInterval, alive_.whileAlive([this] {
        renewIfExpiring();
        scheduleRenewalCheck();
    }));
}

void AccountManager::renewIfExpiring()
{
    if (state_ && state_->expiresAt - wallTime_() <= renewalMargin)
        renew();
}

void AccountManager::renew()
{
    if (!state_ || renewing_)
        return;
    renewing_ = true;
    const QString refreshToken = state_->refreshToken;
    client_.renew(refreshToken, alive_.whileAlive([this, refreshToken](const AuthClient::SessionResult& result) {
        renewing_ = false;
        // Signed out, or signed in anew, while the renewal ran.
        if (!state_ || state_->refreshToken != refreshToken)
            return;
        if (const auto* session = std::get_if<AuthSession>(&result)) {
            Log::info(QStringLiteral("session renewed"));
            setState(*session);
            return;
        }
        const AuthError& error = std::get<AuthError>(result);
        Log::info(QStringLiteral("session renewal failed: ") + error.description());
        if (error.kind() == AuthError::Kind::invalidGrant)
            setState(std::nullopt);
    }));
}
