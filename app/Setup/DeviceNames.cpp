#include "DeviceNames.h"

#include "DefaultSoundInput.h"

QString DeviceNames::microphone()
{
    const QString description = DefaultSoundInput::desktop().description().value_or(QString());
    return description.isEmpty() ? QStringLiteral("no microphone") : description;
}
