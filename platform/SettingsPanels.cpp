#include "SettingsPanels.h"

#include <QProcess>
#include <QStandardPaths>

#include <array>

namespace {

// A settings program and its argument for each panel, in the order of SettingsPanels::Panel;
// nothing where the program has no such panel.
struct Tool {
    const char* program;
    std::array<const char*, 3> panels;
};

constexpr Tool gnome{"gnome-control-center", {"sound", "universal-access", "keyboard"}};
constexpr Tool kde{"systemsettings", {"kcm_pulseaudio", "kcm_access", "kcm_keyboard"}};
// The sound mixer's fourth tab lists the input devices.
constexpr Tool soundMixer{"pavucontrol", {"--tab=4", nullptr, nullptr}};

QStringList installedCommand(SettingsPanels::Panel panel)
{
    return SettingsPanels::command(
        panel, [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); },
        qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

class SystemPanels final : public SettingsPanels {
public:
    void open(Panel panel) override
    {
        const QStringList found = installedCommand(panel);
        if (!found.isEmpty())
            QProcess::startDetached(found.first(), found.mid(1));
    }
    bool available(Panel panel) const override { return !installedCommand(panel).isEmpty(); }
};

SettingsPanels* standIn = nullptr;

}

SettingsPanels& SettingsPanels::system()
{
    static SystemPanels panels;
    return standIn ? *standIn : panels;
}

void SettingsPanels::replaceSystem(SettingsPanels* panels)
{
    standIn = panels;
}

QStringList SettingsPanels::command(Panel panel, const std::function<bool(const QString& program)>& installed,
                                    const QString& desktop)
{
    // The desktop's own tool first, so that a KDE session with GNOME's tool installed opens KDE's.
    const bool onKde = desktop.contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
    for (const Tool* tool : {onKde ? &kde : &gnome, onKde ? &gnome : &kde, &soundMixer}) {
        const char* argument = tool->panels[static_cast<size_t>(panel)];
        const QString program = QString::fromLatin1(tool->program);
        if (argument && installed(program))
            return {program, QString::fromLatin1(argument)};
    }
    return {};
}
