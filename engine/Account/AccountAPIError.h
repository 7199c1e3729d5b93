#pragma once
// Why an export or a deletion on the account server failed, in the sentence the user is shown.

#include "Core/Error.h"
#include "Core/HttpCall.h"

class AccountAPIError : public Error {
public:
    enum class Kind { network, tooLong, server, notAvailable, signedOut, tooManyTries };

    // The request did not complete; the transport's message goes to the log only.
    static AccountAPIError network(const QString& message)
    {
        return AccountAPIError(Kind::network,
                               QStringLiteral("No connection to the Quillmarsh server. Please try again."), message);
    }
    // A request that got no usable answer: no connection, or an answer too long to be one.
    static AccountAPIError unanswered(const HttpFailure& failure)
    {
        if (failure.tooLong())
            return AccountAPIError(Kind::tooLong, tooLongAnswerText(), failure.message);
        return network(failure.message);
    }
    // A status that stands for no other case.
    static AccountAPIError server(int status)
    {
        return AccountAPIError(
            Kind::server, QStringLiteral("The Quillmarsh server couldn\u2019t do that. Please try again in a moment."),
            QString::number(status));
    }
    static AccountAPIError notAvailable()
    {
        return AccountAPIError(Kind::notAvailable, QStringLiteral("Not available here."), {});
    }
    // Refused as not signed in, or there was no token to send.
    static AccountAPIError signedOut()
    {
        return AccountAPIError(Kind::signedOut, QStringLiteral("Please sign in again."), {});
    }
    static AccountAPIError tooManyTries()
    {
        return AccountAPIError(Kind::tooManyTries, QStringLiteral("Too many tries today. Please try again tomorrow."),
                               {});
    }

    Kind kind() const { return kind_; }
    // network: the transport's message; server: the status.
    const QString& detail() const { return detail_; }

private:
    AccountAPIError(Kind kind, const QString& description, QString detail)
        : Error(description), kind_(kind), detail_(std::move(detail))
    {
    }

    Kind kind_;
    QString detail_;
};
