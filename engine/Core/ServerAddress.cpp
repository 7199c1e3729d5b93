#include "Core/ServerAddress.h"

AddressError::AddressError(Kind kind, const QString& description, QString address)
    : Error(description), kind_(kind), address_(std::move(address))
{
}

AddressError AddressError::badURL(const QString& address)
{
    return {Kind::badURL, QStringLiteral("not a valid server address: ") + address, address};
}

AddressError AddressError::insecureURL(const QString& address, QLatin1String encryptedScheme)
{
    return {Kind::insecureURL,
            QStringLiteral("refusing to send audio over an unencrypted connection to ") + address
                + QStringLiteral(" (use ") + encryptedScheme + QStringLiteral("://)"),
            address};
}

namespace ServerAddress {

void requireSafe(const QUrl& address, QLatin1String encrypted, QLatin1String plain)
{
    const QString text = address.toString(QUrl::FullyEncoded);
    const QString scheme = address.scheme().toLower();
    const QString host = address.host().toLower();
    if (scheme.isEmpty() || host.isEmpty())
        throw AddressError::badURL(text);
    if (scheme == encrypted)
        return;
    if (scheme == plain
        && (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1")))
        return;
    throw AddressError::insecureURL(text, encrypted);
}

}
