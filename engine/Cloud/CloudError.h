#pragma once
// The ways server speech can fail.
// The description is both what is logged and the error's text.

#include "Core/Error.h"
#include "Core/ServerAddress.h"

#include <QString>

class CloudError : public Error {
public:
    enum class Kind { badURL, insecureURL, server, connection, protocolViolation, timeout };

    // badURL or insecureURL, with the address rule's own text.
    static CloudError of(const AddressError& error)
    {
        return {error.kind() == AddressError::Kind::badURL ? Kind::badURL : Kind::insecureURL, error.description(),
                error.address()};
    }
    static CloudError server(const QString& code, const QString& message)
    {
        CloudError error(
            Kind::server,
            QStringLiteral("the server refused: ") + code + QStringLiteral(" (") + message + QStringLiteral(")"), code);
        error.message_ = message;
        return error;
    }
    static CloudError connection(const QString& cause)
    {
        return {Kind::connection, QStringLiteral("connection problem: ") + cause, cause};
    }
    static CloudError protocolViolation(const QString& what)
    {
        return {Kind::protocolViolation, QStringLiteral("unexpected message from the server: ") + what, what};
    }
    static CloudError timeout() { return {Kind::timeout, QStringLiteral("the server did not answer in time"), {}}; }

    Kind kind() const { return kind_; }
    // The address, the server's error code, the network cause or the protocol complaint.
    const QString& detail() const { return detail_; }
    // The server's error message (server refusals only).
    const QString& message() const { return message_; }

private:
    CloudError(Kind kind, const QString& description, const QString& detail)
        : Error(description), kind_(kind), detail_(detail)
    {
    }

    Kind kind_;
    QString detail_;
    QString message_;
};
