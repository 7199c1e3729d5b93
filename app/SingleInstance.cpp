#include "SingleInstance.h"

#include "Core/Log.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int waitMilliseconds = 2000;

// A folder only this user can enter: a directory, not a link, that is ours and closed to the
// group and everyone else.
bool isPrivateFolder(const QString& path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
           && (info.st_mode & 077) == 0;
}

std::optional<QString> privateRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    // The temporary folder is shared: a name someone else took first is never used.
    const QString ours = QDir::temp().filePath(QStringLiteral("quillmarsh-runtime-%1").arg(geteuid()));
    mkdir(QFile::encodeName(ours).constData(), 0700);
    if (isPrivateFolder(ours))
        return ours;
    return std::nullopt;
}

// The display as part of a file name; ":0.0" is the same display as ":0".
QString displayTag()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    static const QRegularExpression screen(QStringLiteral("(:\\d+)\\.\\d+$"));
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.:-]"));
    display.replace(screen, QStringLiteral("\\1")).replace(unsafe, QStringLiteral("_"));
    return display.isEmpty() ? QStringLiteral("nodisplay") : display;
}
}

QString SingleInstance::defaultName()
{
    const auto folder = privateRuntimeFolder();
    return folder ? QDir(*folder).filePath(QStringLiteral("quillmarsh-") + displayTag()) : QString();
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const QStringList& arguments)
{
    if (name_.isEmpty()) {
        Log::info(QStringLiteral("no private folder for the single-instance socket: later starts run on their own"));
        return true;
    }
    if (handOver(arguments))
        return false;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered: whatever socket file is there belongs to no running instance.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_))
        return true;  // still the only instance we know of; later starts just won't find us
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::receive);
    return true;
}

bool SingleInstance::handOver(const QStringList& arguments) const
{
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(waitMilliseconds))
        return false;
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << arguments;
    socket.write(message);
    // The first instance closes the connection once it has read the message.
    socket.waitForBytesWritten(waitMilliseconds);
    socket.waitForDisconnected(waitMilliseconds);
    return true;
}

void SingleInstance::receive()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QStringList arguments;
            stream >> arguments;
            if (!stream.commitTransaction())
                return;  // the rest is still on its way
            socket->disconnectFromServer();
            emit argumentsReceived(arguments);
        });
    }
}
