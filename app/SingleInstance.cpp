#include "SingleInstance.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int waitMilliseconds = 2000;
}

QString SingleInstance::defaultName()
{
    return QStringLiteral("quillmarsh-%1").arg(getuid());
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const QStringList& arguments)
{
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
