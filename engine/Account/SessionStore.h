#pragma once
// Where the signed-in session and the pending sign-in are kept between runs. They are secrets:
// they live only in the desktop's secret store (or in memory), never in files or settings.

#include "Account/AuthSession.h"
#include "Account/PendingSignIn.h"

#include <QByteArray>
#include <QString>

#include <optional>

class SessionStore {
public:
    virtual ~SessionStore() = default;

    std::optional<AuthSession> session();
    void setSession(const std::optional<AuthSession>& session);
    std::optional<PendingSignIn> pending();
    void setPending(const std::optional<PendingSignIn>& pending);

protected:
    // One item by name ("session", "pending"). A failure is logged and counts as no item.
    virtual std::optional<QByteArray> read(const QString& item) = 0;
    virtual void write(const QString& item, const QByteArray& bytes) = 0;
    virtual void remove(const QString& item) = 0;
};
