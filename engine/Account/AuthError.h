#pragma once
// Why signing in, or keeping the sign-in, failed, in the sentence the user is shown.

#include "Core/Error.h"
#include "Core/HttpCall.h"

class AuthError : public Error {
public:
    enum class Kind { denied, network, tooLong, slow, server, invalidGrant, noPendingSignIn };

    // The service refused with a message of its own.
    static AuthError denied(const QString& message) { return AuthError(Kind::denied, message); }
    static AuthError network(const QString& text)
    {
        return AuthError(Kind::network, QStringLiteral("No connection: ") + text);
    }
    // A request that got no usable answer: no connection, an answer too long to be one, or a
    // connection whose answer was too slow to wait for.
    static AuthError unanswered(const HttpFailure& failure)
    {
        if (failure.tooLong())
            return AuthError(Kind::tooLong, tooLongAnswerText());
        if (failure.slow())
            return AuthError(Kind::slow,
                             QStringLiteral("The sign-in service was too slow to answer. Please try again."));
        return network(failure.message);
    }
    static AuthError server(int status, const QString& text)
    {
        return AuthError(Kind::server, QStringLiteral("The sign-in service answered %1: ").arg(status) + text);
    }
    // The sign-in code or the session can't be used any more.
    static AuthError invalidGrant()
    {
        return AuthError(Kind::invalidGrant, QStringLiteral("The sign-in has expired. Please sign in again."));
    }
    static AuthError noPendingSignIn()
    {
        return AuthError(Kind::noPendingSignIn,
                         QStringLiteral("This sign-in link wasn't started on this computer, or it has expired. "
                                        "Please try again."));
    }

    Kind kind() const { return kind_; }

private:
    AuthError(Kind kind, const QString& description) : Error(description), kind_(kind) {}

    Kind kind_;
};
