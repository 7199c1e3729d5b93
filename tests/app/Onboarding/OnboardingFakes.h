#pragma once
// The desktop as the first-run window's tests set it: keyboard options and permissions they change
// by hand, and settings panels that only record what was opened.

#include "DesktopPermissions.h"
#include "KeyboardOptions.h"
#include "SettingsPanels.h"

#include <vector>

class FakeKeyboard final : public KeyboardOptions {
public:
    QStringList options;
    QStringList current() const override { return options; }
};

class FakePermissions final : public DesktopPermissions {
public:
    Microphone::Permission mic = Microphone::Permission::restricted;
    bool typing = false;
    Switch state = Switch::off;
    int accessibilityPrompts = 0;

    Microphone::Permission microphone() const override { return mic; }
    bool canType() const override { return typing; }
    Switch accessibility() const override { return state; }
    void promptAccessibility() override
    {
        ++accessibilityPrompts;
        if (state == Switch::off)
            state = Switch::on;
    }
};

class FakePanels final : public SettingsPanels {
public:
    std::vector<Panel> opened;
    bool installed = true;
    void open(Panel panel) override { opened.push_back(panel); }
    bool available(Panel) const override { return installed; }
};
