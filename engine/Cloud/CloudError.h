#pragma once
// The ways server speech can fail; the formatting client throws it too for its address check.
// The description is both what is logged and the error's text.

#include "Core/Error.h"

#include <QString>

class CloudError : public Error {
public:
    enum class Kind { badURL, insecureURL, server, connection, protocolViolation, timeout };

    static CloudError badURL(const QString& address)
    {
        return {Kind::badURL, QStringLiteral("not a valid server address: ") + address, address};
    }
    static CloudError insecureURL(const QString& address)
    {
        return {Kind::insecureURL,
                QStringLiteral("refusing to send audio over an unencrypted connection to ") + address
                    + QStringLiteral(" (use wss://)"),
                address};
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
