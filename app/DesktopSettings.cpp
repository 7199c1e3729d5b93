#include "DesktopSettings.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

struct Panel {
    const char* subject;
    const char* program;
    QStringList arguments;
};

// First installed program wins, in this order.
const Panel panels[] = {
    {"microphone", "gnome-control-center", {QStringLiteral("sound")}},
    {"microphone", "systemsettings", {QStringLiteral("kcm_pulseaudio")}},
    {"microphone", "pavucontrol", {QStringLiteral("--tab=4")}},
    {"sound", "gnome-control-center", {QStringLiteral("sound")}},
    {"sound", "systemsettings", {QStringLiteral("kcm_pulseaudio")}},
    {"sound", "pavucontrol", {}},
    {"accessibility", "gnome-control-center", {QStringLiteral("universal-access")}},
    {"accessibility", "systemsettings", {QStringLiteral("kcm_access")}},
};

}

bool DesktopSettings::open(const QString& subject)
{
    for (const Panel& panel : panels) {
        if (subject != QLatin1String(panel.subject))
            continue;
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(panel.program));
        if (!program.isEmpty() && QProcess::startDetached(program, panel.arguments))
            return true;
    }
    return false;
}
