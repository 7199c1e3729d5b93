#pragma once
// Opening at login: an autostart entry ("quillmarsh.desktop" in the user's autostart folder) that
// starts the application into the tray.

#include <QString>

namespace LoginItem {
// $XDG_CONFIG_HOME/autostart/quillmarsh.desktop.
QString entryPath();
// True when the entry exists and is not hidden.
bool isEnabled();
// Writes (on) or removes (off) the entry. On failure logs "open at login: " and why, and
// returns false.
bool setEnabled(bool on);
}
