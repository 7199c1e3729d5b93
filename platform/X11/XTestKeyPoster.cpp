#include "X11/XTestKeyPoster.h"

#include "Core/Log.h"
#include "SyntheticKeys.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestKeyPoster::XTestKeyPoster(SyntheticKeys& synthetic) : synthetic_(synthetic)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        Log::info(QStringLiteral("can't post keys: the X server has no XTest"));
        XCloseDisplay(display);
        return;
    }
    display_ = display;
}

XTestKeyPoster::~XTestKeyPoster()
{
    if (display_)
        XCloseDisplay(display_);
}

bool XTestKeyPoster::post(const QList<quint32>& keysyms)
{
    if (!display_)
        return false;
    QList<KeyCode> codes;
    for (const quint32 keysym : keysyms) {
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        if (code == 0)
            return false;
        codes.append(code);
    }
    for (const KeyCode code : codes) {
        synthetic_.posted(code, true);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
    }
    for (auto code = codes.crbegin(); code != codes.crend(); ++code) {
        synthetic_.posted(*code, false);
        XTestFakeKeyEvent(display_, *code, False, CurrentTime);
    }
    XSync(display_, False);
    return true;
}
