#pragma once
// A connection of our own to the display DISPLAY names, with the root window of its screen.

#include <xcb/xcb.h>

#include <optional>

struct XcbDisplay {
    xcb_connection_t* connection;
    xcb_window_t root;
};

// Nothing without a display; the caller disconnects.
std::optional<XcbDisplay> connectToDisplay();
