#pragma once
// Serving what we hold to the applications that ask, on the clipboard's thread: TARGETS, the time
// we took it at, and each target's bytes, whole when they fit one request and in INCR chunks when
// not. An answer counts as read once it is complete, the requestor's to keep whatever the clipboard
// holds later: a whole one once given (some requestors never delete it), one in chunks once the
// requestor took the last. It is reported only when the requestor belongs to the X client that
// the reader's window does: a clipboard history reading at once is not the application the text is for.

#include "Clipboard.h"

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include <xcb/xcb.h>

struct ClipboardAtoms;
class ClipboardOwnership;

class ClipboardServer {
public:
    using Clock = std::chrono::steady_clock;

    ClipboardServer(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms,
                    const ClipboardOwnership& ownership);

    // Another application asks for one of our targets.
    void answer(const xcb_selection_request_event_t& request);
    // A requestor deleted a property: it has read what we put there, and takes the next chunk.
    void propertyDeleted(const xcb_property_notify_event_t& event);
    // Drops the requestors that stopped reading chunks.
    void expire(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

private:
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        ClipboardFormat format;
        std::function<void()> read;  // once the requestor has taken the last chunk
        qsizetype sent = 0;
        Clock::time_point deadline;
    };

    void startTransfer(xcb_window_t requestor, xcb_atom_t property, const ClipboardFormat& format,
                       std::function<void()> read);
    void put(xcb_window_t window, xcb_atom_t property, const ClipboardFormat& format, QByteArrayView bytes);
    void stopWatching(xcb_window_t requestor);

    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    ClipboardAtoms& atoms_;
    const ClipboardOwnership& ownership_;
    const qsizetype chunk_;
    std::vector<Transfer> transfers_;
};
