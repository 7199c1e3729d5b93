#include "SettingsPanels.h"

#include <QProcess>
#include <QStandardPaths>

#include <utility>
#include <vector>

namespace {

QStringList gnome(SettingsPanels::Panel panel)
{
    switch (panel) {
    case SettingsPanels::Panel::microphone:
        return {QStringLiteral("gnome-control-center"), QStringLiteral("sound")};
    case SettingsPanels::Panel::accessibility:
        return {QStringLiteral("gnome-control-center"), QStringLiteral("universal-access")};
    case SettingsPanels::Panel::keyboard:
        return {QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")};
    }
    return {};
}

QStringList kde(SettingsPanels::Panel panel)
{
    switch (panel) {
    case SettingsPanels::Panel::microphone:
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_pulseaudio")};
    case SettingsPanels::Panel::accessibility:
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_access")};
    case SettingsPanels::Panel::keyboard:
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_keyboard")};
    }
    return {};
}

// The sound mixer's fourth tab lists the input devices.
QStringList soundMixer(SettingsPanels::Panel panel)
{
    if (panel != SettingsPanels::Panel::microphone)
        return {};
    return {QStringLiteral("pavucontrol"), QStringLiteral("--tab=4")};
}

class SystemPanels final : public SettingsPanels {
public:
    void open(Panel panel) override
    {
        const QStringList found = command(
            panel, [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); },
            qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
        if (!found.isEmpty())
            QProcess::startDetached(found.first(), found.mid(1));
    }
};

}

SettingsPanels& SettingsPanels::system()
{
    static SystemPanels panels;
    return panels;
}

QStringList SettingsPanels::command(Panel panel, const std::function<bool(const QString& program)>& installed,
                                    const QString& desktop)
{
    // The desktop's own tool first, so that a KDE session with GNOME's tool installed opens KDE's.
    std::vector<QStringList> candidates{gnome(panel), kde(panel), soundMixer(panel)};
    if (desktop.contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        std::swap(candidates[0], candidates[1]);
    for (const QStringList& candidate : candidates) {
        if (!candidate.isEmpty() && installed(candidate.first()))
            return candidate;
    }
    return {};
}
