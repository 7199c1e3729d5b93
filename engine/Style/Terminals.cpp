#include "Style/Terminals.h"

namespace Terminals {

const QSet<QString>& ids()
{
    static const QSet<QString> terminals{
        QStringLiteral("org.gnome.Terminal"),
        QStringLiteral("org.gnome.terminal"),
        QStringLiteral("gnome-terminal-server"),
        QStringLiteral("org.gnome.Console"),
        QStringLiteral("kgx"),
        QStringLiteral("org.gnome.Ptyxis"),
        QStringLiteral("org.kde.konsole"),
        QStringLiteral("konsole"),
        QStringLiteral("org.kde.yakuake"),
        QStringLiteral("kitty"),
        QStringLiteral("alacritty"),
        QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("xfce4-terminal"),
        QStringLiteral("terminator"),
        QStringLiteral("com.gexperts.Tilix"),
        QStringLiteral("tilix"),
        QStringLiteral("foot"),
        QStringLiteral("footclient"),
        QStringLiteral("xterm"),
        QStringLiteral("urxvt"),
        QStringLiteral("lxterminal"),
        QStringLiteral("qterminal"),
        QStringLiteral("mate-terminal"),
        QStringLiteral("io.elementary.terminal"),
        QStringLiteral("com.mitchellh.ghostty"),
        QStringLiteral("ghostty"),
        QStringLiteral("com.raggesilver.BlackBox"),
        QStringLiteral("dev.warp.Warp"),
        QStringLiteral("net.kovidgoyal.kitty"),
    };
    return terminals;
}

bool isTerminal(const std::optional<QString>& appID)
{
    return appID && ids().contains(*appID);
}

}
