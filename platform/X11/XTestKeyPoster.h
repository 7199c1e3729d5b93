#pragma once
// Posts key chords through the X server's XTest extension, telling SyntheticKeys about each
// keystroke so our own key monitor and input watcher ignore them.

#include "KeyPoster.h"

class SyntheticKeys;
struct _XDisplay;

class XTestKeyPoster final : public KeyPoster {
public:
    explicit XTestKeyPoster(SyntheticKeys& synthetic);
    ~XTestKeyPoster() override;
    XTestKeyPoster(const XTestKeyPoster&) = delete;
    XTestKeyPoster& operator=(const XTestKeyPoster&) = delete;

    bool post(const QList<quint32>& keysyms) override;

private:
    SyntheticKeys& synthetic_;
    _XDisplay* display_ = nullptr;
};
