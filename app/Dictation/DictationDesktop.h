#pragma once
// The X11 desktop as the dictation flow uses it: the raw key and button events of the display,
// the dictation key's monitor, the watcher of the user's input, the window list, the focused
// text element through AT-SPI2, XTest for our own keystrokes, which these recognise, and the clipboard.

#include "AtSpi/AtSpiFocusedText.h"
#include "DictationFlow.h"
#include "HotkeyMonitor.h"
#include "InputWatcher.h"
#include "SyntheticKeys.h"
#include "X11/X11Clipboard.h"
#include "X11/X11DesktopWindows.h"
#include "X11/X11RawInput.h"
#include "X11/XTestKeyPoster.h"
#include "X11/XcbConnection.h"

class DictationDesktop {
public:
    explicit DictationDesktop(HotkeyMonitor::Key key);

    // Naming applications by their desktop entries.
    DictationFlow::Desktop parts(const AppIdentity& applications);
    // The key monitor hears the display's keys (false without an X11 display).
    bool listening() const { return input.connected(); }

    SyntheticKeys synthetic;
    X11RawInput input;
    HotkeyMonitor keys;
    InputWatcher watcher;
    X11DesktopWindows windows;
    AtSpiFocusedText focus;
    // The paste's keys follow the clipboard's change over one connection.
    const std::shared_ptr<XcbConnection> display = XcbConnection::open();
    XTestKeyPoster poster;
    X11Clipboard clipboard;
};
