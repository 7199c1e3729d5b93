#pragma once
// The X keyboard options in force (set by the desktop's keyboard settings, `setxkbmap -option` or
// XKBOPTIONS in /etc/default/keyboard), and the ones among them that give a dictation key a job of
// its own: pressed alone, the key then switches the layout or starts a compose sequence, and the
// X server no longer reports it as the key Quillmarsh listens for. Options that act only with
// another key (`grp:alt_shift_toggle`, ...) leave it free.

#include "HotkeyMonitor.h"

#include <QString>
#include <QStringList>

#include <optional>

class KeyboardOptions {
public:
    // What an option makes the key do.
    enum class Use { switchesLayout, compose };
    struct Taker {
        QString option;  // as the options name it, such as "grp:rctrl_toggle"
        Use use;
        friend bool operator==(const Taker&, const Taker&) = default;
    };

    virtual ~KeyboardOptions() = default;
    // The options as the X server's root window names them; empty without a display or options.
    virtual QStringList current() const = 0;

    // The option among these that takes the key, a layout switch before the compose key.
    static std::optional<Taker> takerOf(HotkeyMonitor::Key key, const QStringList& options);

    // The X server's options, or what a test put in their place.
    static KeyboardOptions& system();
    // For tests: options in place of the X server's until called again (nothing restores them).
    static void replaceSystem(KeyboardOptions* standIn);
};
