#pragma once
// Raw key and button events of the whole X display (XInput2 on the root window, so they arrive
// whatever window has the focus), read on the main thread over a connection of its own. Events
// that match a keystroke we posted ourselves are dropped here, once, for every listener.

#include "RawInput.h"

class QSocketNotifier;
class SyntheticKeys;
struct _XDisplay;

class X11RawInput final : public RawInput {
    Q_OBJECT
public:
    // Connects to the display DISPLAY names; without one, or without XInput 2.2, it stays silent.
    explicit X11RawInput(SyntheticKeys& synthetic, QObject* parent = nullptr);
    ~X11RawInput() override;

    bool connected() const { return display_ != nullptr; }

private:
    void readEvents();

    SyntheticKeys& synthetic_;
    _XDisplay* display_ = nullptr;
    int xiOpcode_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};
