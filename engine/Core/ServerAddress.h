#pragma once
// Where the application may send someone's voice or words: over an encrypted connection to any
// host, or unencrypted only when it never leaves this computer.

#include "Core/Error.h"

#include <QLatin1String>
#include <QString>
#include <QUrl>

class AddressError : public Error {
public:
    enum class Kind { badURL, insecureURL };

    static AddressError badURL(const QString& address);
    // Names the encrypted scheme to use instead.
    static AddressError insecureURL(const QString& address, QLatin1String encryptedScheme);

    Kind kind() const { return kind_; }
    // The address as text.
    const QString& address() const { return address_; }

private:
    AddressError(Kind kind, const QString& description, QString address);

    Kind kind_;
    QString address_;
};

namespace ServerAddress {

// Throws AddressError: badURL without a scheme or a host; insecureURL unless the scheme is
// `encrypted`, or `plain` with the host "localhost", "127.0.0.1" or "::1" (schemes and hosts in
// any case).
void requireSafe(const QUrl& address, QLatin1String encrypted, QLatin1String plain);

}
