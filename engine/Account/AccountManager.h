#pragma once
// The account's state: signed in with a session or signed out. Starts sign-ins (e-mailed link or
// Google, both with PKCE), finishes them from the browser's return, keeps the session fresh
// before it expires, and signs out. Lives on the main thread, like its client's replies.

#include "Account/AuthClient.h"
#include "Account/AuthError.h"
#include "Account/AuthSession.h"
#include "Account/PendingSignIn.h"
#include "Account/WallTime.h"
#include "Core/Clock.h"
#include "Core/Lifeline.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class SessionStore;

class AccountManager {
public:
    // Signed in with the session, or signed out.
    using State = std::optional<AuthSession>;
    using Completion = std::function<void(std::optional<AuthError>)>;

    static constexpr std::chrono::seconds renewalInterval{60};
    // A session expiring within this many seconds is renewed.
    static constexpr qint64 renewalMargin = 300;

    // Starts in the state the store kept. The client, store and clock must outlive the manager.
    AccountManager(AuthClient& client, SessionStore& store, Clock& clock = Clock::system(),
                   WallTime wallTime = systemWallTime);
    ~AccountManager();
    AccountManager(const AccountManager&) = delete;
    AccountManager& operator=(const AccountManager&) = delete;

    const State& state() const { return state_; }
    // Whether a sign-in service is configured; without one nothing starts a sign-in.
    bool canSignIn() const { return client_.config().isConfigured(); }
    // The bearer token for the servers while signed in. Callable from any thread.
    std::optional<QString> accessToken() const;

    // Called after every change of state: a sign-in, a renewal, a sign-out.
    std::function<void()> onChange;

    // E-mails a sign-in link to the address (trimmed) and remembers the sign-in as pending.
    void beginEmail(const QString& address, const Completion& done);
    // Remembers a new pending sign-in and returns the page where the browser signs in with Google.
    QUrl beginGoogle();
    // Finishes the pending sign-in from the browser's return. A return that doesn't carry the
    // pending sign-in's state and a usable code fails with noPendingSignIn and changes nothing.
    // A return that arrives while another is being finished is ignored (and logged): its
    // completion never runs.
    void handle(const QUrl& callback, Completion done);
    // Drops the session here at once, then asks the service to end it.
    void signOut(std::function<void()> done = {});

    // Checks every renewalInterval (and once now) whether the session needs renewing.
    void startRenewal();
    // Renews when the session expires within renewalMargin; also called on waking from sleep.
    void renewIfExpiring();
    // Renews now, e.g. after a server refused the access token.
    void renew();

private:
    // A new pending sign-in for the verifier, and the return address that carries its state.
    std::pair<PendingSignIn, QUrl> newSignIn(const QString& verifier) const;
    void finishSignIn(const PendingSignIn& pending, const AuthClient::SessionResult& result, const Completion& done);
    void setState(State state);
    void scheduleRenewalCheck();

    AuthClient& client_;
    SessionStore& store_;
    Clock& clock_;
    WallTime wallTime_;

    State state_;
    mutable std::mutex tokenMutex_;
    std::optional<QString> accessToken_;
    bool renewing_ = false;
    bool finishingSignIn_ = false;
    std::shared_ptr<ScheduledWork> renewalCheck_;
    const Lifeline<AccountManager> alive_{this};  // completions do nothing once the manager is gone
};
