#pragma once
// The desktop as the first-run window's tests set it: permissions they change by hand and
// settings panels that only record what was opened.

#include "DesktopPermissions.h"
#include "SettingsPanels.h"

#include <vector>

class FakePermissions final : public DesktopPermissions {
public:
    Microphone::Permission mic = Microphone::Permission::notDetermined;
    bool trusted = false;
    int microphoneRequests = 0;
    int accessibilityPrompts = 0;

    Microphone::Permission microphone() const override { return mic; }
    void requestMicrophone() override { ++microphoneRequests; }
    bool accessibilityTrusted() const override { return trusted; }
    void promptAccessibility() override { ++accessibilityPrompts; }
};

class FakePanels final : public SettingsPanels {
public:
    std::vector<Panel> opened;
    void open(Panel panel) override { opened.push_back(panel); }
};
