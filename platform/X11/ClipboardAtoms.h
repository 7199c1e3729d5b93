#pragma once
// The atoms the clipboard's parts speak in (and its ping of an application), learnt in one round trip
// when the clipboard starts.

#include "Clipboard.h"
#include "X11/XcbAtoms.h"

#include <vector>

struct ClipboardAtoms {
    explicit ClipboardAtoms(xcb_connection_t* connection);

    // Conversions of the selection itself rather than contents: never saved, never offered back.
    bool isMeta(xcb_atom_t atom) const;
    // Learns the targets' and types' numbers, so that serving them costs no round trip of its own.
    void learn(const ClipboardContents& contents);

    XcbAtoms names;  // shared with own()'s caller; it locks itself
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t timestamp = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t saveTargets = XCB_NONE;
    xcb_atom_t manager = XCB_NONE;
    xcb_atom_t readInto = XCB_NONE;  // the property on our own window that answers to our reads land in
    xcb_atom_t wmProtocols = XCB_NONE;
    xcb_atom_t ping = XCB_NONE;  // the window manager's, which a client answers from its event loop

private:
    std::vector<xcb_atom_t> meta_;
};
