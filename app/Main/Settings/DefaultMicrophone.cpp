#include "DefaultMicrophone.h"

#include "DefaultSoundInput.h"
#include "Setup/DeviceNames.h"

DefaultMicrophone::DefaultMicrophone(QObject* parent) : QObject(parent), name_(DeviceNames::microphone())
{
    connect(&DefaultSoundInput::desktop(), &DefaultSoundInput::described, this, [this] {
        const QString name = DeviceNames::microphone();
        if (name == name_)
            return;
        name_ = name;
        emit nameChanged();
    });
}
