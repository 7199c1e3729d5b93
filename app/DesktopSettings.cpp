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
    {"sound", "gnome-control-center", {QStringLiteral("sound")}},
    {"sound", "systemsettings", {QStringLiteral("kcm_pulseaudio")}},
    {"sound", "pavucontrol", {}},
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
