#include "TestSoundServer.h"

#include <QDebug>
#include <QProcess>

QString TestSoundServer::pactl(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qWarning() << "pactl" << arguments << "failed:" << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

TestSoundServer::PluggedInput::PluggedInput(const QString& name, const QString& description, const QStringList& extra)
    : module_(pactl(QStringList{QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                                QStringLiteral("source_name=") + name, QStringLiteral("description=") + description}
                    + extra))
{
}

TestSoundServer::PluggedInput::~PluggedInput()
{
    if (!module_.isEmpty())
        pactl({QStringLiteral("unload-module"), module_});
}
