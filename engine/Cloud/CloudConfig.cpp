#include "Cloud/CloudConfig.h"

#include "Cloud/CloudError.h"
#include "Core/ServerAddress.h"

void CloudConfig::validate() const
{
    try {
        ServerAddress::requireSafe(url, QLatin1String("wss"), QLatin1String("ws"));
    } catch (const AddressError& error) {
        throw CloudError::of(error);
    }
}
