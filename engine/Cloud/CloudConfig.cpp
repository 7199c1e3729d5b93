#include "Cloud/CloudConfig.h"

#include "Cloud/CloudError.h"

void CloudConfig::validate() const
{
    const QString address = url.toString(QUrl::FullyEncoded);
    const QString scheme = url.scheme().toLower();
    const QString host = url.host().toLower();
    if (scheme.isEmpty() || host.isEmpty())
        throw CloudError::badURL(address);
    if (scheme == QLatin1String("wss"))
        return;
    // Audio goes unencrypted only when it never leaves this machine.
    if (scheme == QLatin1String("ws")
        && (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1")))
        return;
    throw CloudError::insecureURL(address);
}
