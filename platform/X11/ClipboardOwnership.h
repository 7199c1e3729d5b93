#pragma once
// Whether we hold the clipboard, with what, and since when in the server's time. Taking it is
// sent from the caller's thread; the rest runs on the clipboard's thread. The server tells the
// time it was taken at, and that somebody else took it, through XFIXES notices. Putting contents
// back names the time of the take it follows, never the current time, which the server never
// refuses: a put-back that runs late (after a later copy, or after our own next take) changes nothing.

#include "Clipboard.h"

#include <functional>
#include <mutex>
#include <optional>

#include <xcb/xcb.h>

struct ClipboardAtoms;

class ClipboardOwnership {
public:
    struct Held {
        ClipboardContents contents;
        ClipboardServing serving;
        xcb_timestamp_t since = XCB_CURRENT_TIME;  // the server's time when we took it, once known
    };

    // Runs on the clipboard's thread when another application takes the clipboard: the server's time
    // of the take, the window it took it with, and what we held, when it was taken from us.
    using ChangedByOthers =
        std::function<void(xcb_timestamp_t time, xcb_window_t owner, std::optional<Held> takenFromUs)>;

    ClipboardOwnership(xcb_connection_t* connection, xcb_window_t window, ClipboardAtoms& atoms,
                       ChangedByOthers changedByOthers);

    // Without waiting for the server: the request is queued at once, so whatever is sent next over
    // the connection reaches the server after it. The current time always takes the clipboard.
    void take(ClipboardContents contents, ClipboardServing serving);
    // As of `since` (the time of our take, or of another application's copy of it), so the server
    // ignores it once anyone took the clipboard later; waits for the server's word on who owns it now.
    bool replace(ClipboardContents contents, xcb_timestamp_t since);
    // The latest take by another application, at this time, offers a copy of what it took from us:
    // replace() may go over it as of that time. False when another take came since.
    bool copiedFromUs(xcb_timestamp_t time);
    // Whether that copy still holds the clipboard.
    bool copyHolds() const;
    std::optional<Held> held() const;
    xcb_window_t currentOwner(xcb_atom_t selection) const;

    // Takes the server's notices about the clipboard's owner; false for any other event.
    bool handle(const xcb_generic_event_t& event);

private:
    struct Owning {
        Held held;
        unsigned int request = 0;  // the sequence number of the request that took it
    };

    // The request of the take we hold the clipboard by; mutex_ held.
    std::optional<unsigned int> takingRequest() const;

    xcb_connection_t* const connection_;
    const xcb_window_t window_;
    ClipboardAtoms& atoms_;
    const ChangedByOthers changedByOthers_;
    uint8_t xfixesEvent_ = 0;
    mutable std::mutex mutex_;
    std::optional<Owning> owning_;  // guarded by mutex_: take() sets it on the caller's thread
    std::optional<Held> lost_;  // what we held until another application's take, not yet told
    xcb_timestamp_t othersTake_ = XCB_CURRENT_TIME;  // the time of another application's latest take
    std::optional<xcb_timestamp_t> copy_;  // the time of that take, when it is a copy of ours
};
