#pragma once
// Which X client made a window: the server gives each client its own base for the ids it makes,
// so two ids that agree outside the part a client numbers were made by one client.

#include <xcb/xcb.h>

inline bool madeByOneClient(xcb_connection_t* connection, xcb_window_t window, xcb_window_t other)
{
    const uint32_t clientBits = ~xcb_get_setup(connection)->resource_id_mask;
    return (window & clientBits) == (other & clientBits);
}
