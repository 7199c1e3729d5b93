#pragma once
// What dictation needs the desktop to allow. There is no capture prompt here: the microphone is
// allowed when an input device exists. "Accessibility" is the desktop's assistive-technology
// switch (reading and replacing text in other applications needs it) together with the X
// server's XTest extension (typing into them needs it).

#include "Microphone.h"

class DesktopPermissions {
public:
    virtual ~DesktopPermissions() = default;

    virtual Microphone::Permission microphone() const = 0;
    virtual void requestMicrophone() = 0;
    virtual bool accessibilityTrusted() const = 0;
    // Turns the assistive-technology switch on; XTest is the X server's to offer or not.
    virtual void promptAccessibility() = 0;

    static DesktopPermissions& system();
};
