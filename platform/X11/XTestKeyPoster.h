#pragma once
// Posts key chords through the X server's XTest extension, telling SyntheticKeys about each
// keystroke so our own key monitor and input watcher ignore them. The keys go over the
// connection the clipboard takes the clipboard on, so a paste's keys reach the server after it.

#include "KeyPoster.h"

#include <xcb/xcb.h>

#include <QHash>

#include <memory>

class SyntheticKeys;
class XcbConnection;

class XTestKeyPoster final : public KeyPoster {
public:
    // Without a connection (no display) or XTest nothing is posted.
    XTestKeyPoster(SyntheticKeys& synthetic, std::shared_ptr<XcbConnection> display);

    bool post(const QList<quint32>& keysyms) override;

private:
    SyntheticKeys& synthetic_;
    std::shared_ptr<XcbConnection> display_;
    QHash<quint32, xcb_keycode_t> keycodes_;  // the first key that types each symbol
};
