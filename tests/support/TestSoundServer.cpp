#include "TestSoundServer.h"

#include <csignal>

#include <QDebug>
#include <QFile>

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

TestSoundServer::PrivateServer::PrivateServer(Inputs inputs) : inputs_(inputs) {}

TestSoundServer::PrivateServer::~PrivateServer()
{
    stop();
}

QByteArray TestSoundServer::PrivateServer::address() const
{
    return "unix:" + QFile::encodeName(folder_.filePath(QStringLiteral("native")));
}

bool TestSoundServer::PrivateServer::start()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), folder_.path());
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), folder_.filePath(QStringLiteral("runtime")));
    // Off the session bus: the bus name a server takes there is one per bus, and other tests'
    // servers run beside this one.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("-n"),
                          QStringLiteral("--daemonize=no"),
                          QStringLiteral("--exit-idle-time=-1"),
                          QStringLiteral("--use-pid-file=no"),
                          QStringLiteral("--disable-shm"),
                          QStringLiteral("-L"),
                          QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=")
                              + folder_.filePath(QStringLiteral("native"))};
    if (inputs_ == Inputs::microphone)
        arguments << QStringLiteral("-L") << QStringLiteral("module-null-source source_name=private_microphone");
    arguments << QStringLiteral("-L") << QStringLiteral("module-null-sink sink_name=private_speaker");
    process_.start(QStringLiteral("pulseaudio"), arguments);
    return process_.waitForStarted();
}

bool TestSoundServer::PrivateServer::answers() const
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("--server=") + QString::fromUtf8(address()), QStringLiteral("info")});
    return pactl.waitForFinished(10000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

void TestSoundServer::PrivateServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished();
}

void TestSoundServer::PrivateServer::freeze()
{
    if (process_.state() != QProcess::NotRunning)
        ::kill(pid_t(process_.processId()), SIGSTOP);
}
