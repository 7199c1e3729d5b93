#include "X11/X11RawInput.h"

#include "Core/Log.h"
#include "SyntheticKeys.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

X11RawInput::X11RawInput(SyntheticKeys& synthetic, QObject* parent) : RawInput(parent), synthetic_(synthetic)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode_, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success) {
        Log::info(QStringLiteral("key monitor unavailable: the X server has no XInput 2.2"));
        XCloseDisplay(display);
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    display_ = display;
    notifier_ = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11RawInput::readEvents);
    readEvents();
}

X11RawInput::~X11RawInput()
{
    if (display_)
        XCloseDisplay(display_);
}

void X11RawInput::readEvents()
{
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ || !XGetEventData(display_, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (cookie->evtype == XI_RawButtonPress) {
            // Wheel "buttons" (4 and up) scroll; only a click moves the user on.
            if (raw->detail >= 1 && raw->detail <= 3)
                emit button();
        } else if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            RawKey key;
            key.keycode = static_cast<quint32>(raw->detail);
            key.press = cookie->evtype == XI_RawKeyPress;
            key.repeat = (raw->flags & XIKeyRepeat) != 0;
            key.keysym = static_cast<quint32>(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(key.keycode), 0, 0));
            if (!synthetic_.takeIfOurs(key.keycode, key.press))
                emit this->key(key);
        }
        XFreeEventData(display_, cookie);
    }
}
