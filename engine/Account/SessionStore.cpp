#include "Account/SessionStore.h"

namespace {

const QString sessionItem = QStringLiteral("session");
const QString pendingItem = QStringLiteral("pending");

}

std::optional<AuthSession> SessionStore::session()
{
    const auto bytes = read(sessionItem);
    return bytes ? AuthSession::decoded(*bytes) : std::nullopt;
}

void SessionStore::setSession(const std::optional<AuthSession>& session)
{
    if (session)
        write(sessionItem, session->encoded());
    else
        remove(sessionItem);
}

std::optional<PendingSignIn> SessionStore::pending()
{
    const auto bytes = read(pendingItem);
    return bytes ? PendingSignIn::decoded(*bytes) : std::nullopt;
}

void SessionStore::setPending(const std::optional<PendingSignIn>& pending)
{
    if (pending)
        write(pendingItem, pending->encoded());
    else
        remove(pendingItem);
}
