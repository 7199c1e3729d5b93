#include "DeviceNames.h"

#include <QAudioDevice>
#include <QMediaDevices>

QString DeviceNames::microphone()
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    return device.isNull() ? QStringLiteral("no microphone") : device.description();
}
