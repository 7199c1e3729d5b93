#include "DefaultMicrophone.h"

#include "DeviceNames.h"

DefaultMicrophone::DefaultMicrophone(QObject* parent) : QObject(parent), name_(DeviceNames::microphone())
{
    connect(&input_, &DefaultSoundInput::described, this, [this](const QString& description) {
        const QString name = description.isEmpty() ? QStringLiteral("no microphone") : description;
        if (name == name_)
            return;
        name_ = name;
        emit nameChanged();
    });
}
