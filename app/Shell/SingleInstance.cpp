#include "SingleInstance.h"

#include "Core/AppFolders.h"
#include "Core/Log.h"
#include "Core/PrivateFolder.h"
#include "Core/SystemError.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int waitMilliseconds = 2000;
// How long a later start looks for the first one's socket: two starts at once may find the lock
// taken a moment before the socket listens.
constexpr auto findingTime = std::chrono::seconds(3);

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
    // Below the user's own folders nobody else can take the name.
    for (const QString& own : {AppFolders::state(), AppFolders::config()}) {
        const QString folder = QDir(own).filePath(QStringLiteral("instance"));
        if (!makePrivateFolder(folder) && isPrivateFolder(folder))
            return folder;
    }
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

QString SingleInstance::defaultBusName()
{
    // A bus name's parts hold letters, digits, "_" and "-" only.
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9_-]"));
    return QStringLiteral("org.quillmarsh.Instance.display") + displayTag().replace(other, QStringLiteral("_"));
}

QString SingleInstance::defaultName()
{
    const auto folder = privateRuntimeFolder();
    return folder ? QDir(*folder).filePath(QStringLiteral("quillmarsh-") + displayTag()) : QString();
}

SingleInstance::SingleInstance(QString name, QString busName, QObject* parent)
    : QObject(parent), name_(std::move(name)), busName_(std::move(busName))
{
}

SingleInstance::~SingleInstance()
{
    if (lock_ >= 0)
        ::close(lock_);
    if (bus_)
        QDBusConnection::disconnectFromBus(bus_->name());
}

SingleInstance::Claim SingleInstance::claim(const QStringList& arguments)
{
    if (name_.isEmpty())
        return claimOnBus(arguments);
    // Beside the socket: a bare name's socket is in the temporary folder.
    const QString lockPath =
        (QDir::isAbsolutePath(name_) ? name_ : QDir::temp().filePath(name_)) + QStringLiteral(".lock");
    lock_ = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_ < 0) {
        refusal_ = QStringLiteral("Quillmarsh can't tell whether it already runs on this display: %1: %2")
                       .arg(lockPath, systemErrorText(errno));
        return Claim::refused;
    }
    // Held until the process ends, however it ends.
    if (flock(lock_, LOCK_EX | LOCK_NB) == 0) {
        listen();
        return Claim::first;
    }
    const auto deadline = std::chrono::steady_clock::now() + findingTime;
    do {
        if (handOver(arguments))
            return Claim::handedOver;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    refusal_ = QStringLiteral("Quillmarsh already runs on this display but doesn't answer at %1.").arg(name_);
    return Claim::refused;
}

SingleInstance::Claim SingleInstance::claimOnBus(const QStringList& arguments)
{
    // A connection of its own: the name is let go with it.
    bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("quillmarsh-instance-") + QUuid::createUuid().toString()));
    if (!bus_->isConnected() || busName_.isEmpty()) {
        refusal_ = QStringLiteral("Quillmarsh runs without checking whether it already runs on this display: "
                                  "neither a folder of its own nor the session bus could be had for that.");
        return Claim::alone;
    }
    // Ready for a later start before the name says this one runs.
    bus_->registerObject(QStringLiteral("/"), this, QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> named = bus_->interface()->registerService(
        busName_, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (named.isValid() && named.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::first;
    bus_->unregisterObject(QStringLiteral("/"));
    QDBusMessage call = QDBusMessage::createMethodCall(
        busName_, QStringLiteral("/"), QStringLiteral("org.quillmarsh.Instance"), QStringLiteral("takeArguments"));
    call << arguments;
    if (bus_->call(call, QDBus::Block, waitMilliseconds).type() == QDBusMessage::ReplyMessage)
        return Claim::handedOver;
    refusal_ = QStringLiteral("Quillmarsh already runs on this display but doesn't answer on the session bus.");
    return Claim::refused;
}

void SingleInstance::takeArguments(const QStringList& arguments)
{
    emit argumentsReceived(arguments);
}

void SingleInstance::listen()
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock: whatever is at the socket's name belongs to no running instance.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
        Log::info(QStringLiteral("single-instance socket %1: %2; later starts will say they can't reach this one")
                      .arg(name_, server_->errorString()));
        return;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::receive);
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
