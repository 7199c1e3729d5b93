#include "KeyboardOptions.h"

#include "X11/X11KeyboardOptions.h"

namespace {

struct Row {
    HotkeyMonitor::Key key;
    const char* option;
    KeyboardOptions::Use use;
};

using Key = HotkeyMonitor::Key;
using Use = KeyboardOptions::Use;

// The options that bind the key alone (xkeyboard-config's names), layout switches first.
constexpr Row takers[] = {
    {Key::fn, "grp:rctrl_toggle", Use::switchesLayout},
    {Key::fn, "grp:rctrl_switch", Use::switchesLayout},
    {Key::fn, "grp:lctrl_rctrl_switch", Use::switchesLayout},
    {Key::rightOption, "grp:toggle", Use::switchesLayout},
    {Key::rightOption, "grp:switch", Use::switchesLayout},
    {Key::rightCommand, "grp:rwin_toggle", Use::switchesLayout},
    {Key::rightCommand, "grp:rwin_switch", Use::switchesLayout},
    {Key::rightCommand, "grp:win_switch", Use::switchesLayout},
    {Key::rightCommand, "grp:win_menu_switch", Use::switchesLayout},
    {Key::fn, "compose:rctrl", Use::compose},
    {Key::rightOption, "compose:ralt", Use::compose},
    {Key::rightCommand, "compose:rwin", Use::compose},
};

KeyboardOptions* standIn = nullptr;

}

std::optional<KeyboardOptions::Taker> KeyboardOptions::takerOf(HotkeyMonitor::Key key, const QStringList& options)
{
    for (const Row& row : takers) {
        const QString option = QString::fromLatin1(row.option);
        if (row.key == key && options.contains(option))
            return Taker{option, row.use};
    }
    return std::nullopt;
}

KeyboardOptions& KeyboardOptions::system()
{
    static X11KeyboardOptions options;
    return standIn ? *standIn : options;
}

void KeyboardOptions::replaceSystem(KeyboardOptions* options)
{
    standIn = options;
}
