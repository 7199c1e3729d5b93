#pragma once
// The desktop of the pictures and of the tests that walk their windows, whatever this machine has:
// a microphone plugged in, typing allowed, and the assistive-technology switch still off, as a new
// user finds it.

#include "DesktopPermissions.h"

class SampleDesktop final : public DesktopPermissions {
public:
    Microphone::Permission microphone() const override { return Microphone::Permission::authorized; }
    bool canType() const override { return true; }
    Switch accessibility() const override { return Switch::off; }
    void promptAccessibility() override {}
};
