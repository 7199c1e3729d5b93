#pragma once
// The keyboard options as the root window's _XKB_RULES_NAMES names them (setxkbmap and the
// desktops' keyboard settings write it: rules, model, layouts, variants and options, each ending in
// a NUL), read afresh over a connection of its own each time they are asked for.

#include "KeyboardOptions.h"
#include "X11/XcbAtoms.h"

#include <xcb/xcb.h>

#include <memory>

class X11KeyboardOptions final : public KeyboardOptions {
public:
    // Connects to the display DISPLAY names; without one there are never any options.
    X11KeyboardOptions();
    ~X11KeyboardOptions() override;

    X11KeyboardOptions(const X11KeyboardOptions&) = delete;
    X11KeyboardOptions& operator=(const X11KeyboardOptions&) = delete;

    QStringList current() const override;

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    std::unique_ptr<XcbAtoms> atoms_;
};
