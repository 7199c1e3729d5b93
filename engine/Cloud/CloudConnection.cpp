#include "Cloud/CloudConnection.h"

#include "Core/NetworkThread.h"

#include <QList>
#include <QPointer>
#include <QWebSocket>

#include <variant>

namespace {

struct Text {
    QByteArray utf8;
};
struct Binary {
    QByteArray data;
};
struct Close {
    QWebSocketProtocol::CloseCode code;
};
using Operation = std::variant<Text, Binary, Close>;

}

// Lives on the network thread: every member is touched only there.
struct CloudConnection::Socket {
    QPointer<QWebSocket> socket;
    CloudConnection::Handlers handlers;
    QList<Operation> waiting;  // until the connection opens
    bool open = false;
    bool closing = false;
    bool failureReported = false;

    void perform(const Operation& operation)
    {
        if (closing || !socket)
            return;
        if (!open) {
            waiting.append(operation);
            return;
        }
        if (const auto* text = std::get_if<Text>(&operation)) {
            socket->sendTextMessage(QString::fromUtf8(text->utf8));
        } else if (const auto* binary = std::get_if<Binary>(&operation)) {
            socket->sendBinaryMessage(binary->data);
        } else {
            closing = true;
            socket->close(std::get<Close>(operation).code);
        }
    }

    void opened()
    {
        open = true;
        const QList<Operation> queued = std::exchange(waiting, {});
        for (const Operation& operation : queued)
            perform(operation);
    }

    void reportFailure(const QString& cause)
    {
        if (closing || failureReported)
            return;
        failureReported = true;
        if (handlers.failed)
            handlers.failed(cause);
    }
};

CloudConnection::CloudConnection(std::shared_ptr<NetworkThread> network, const QUrl& url, qint64 maxMessageBytes,
                                 Handlers handlers)
    : network_(std::move(network)), socket_(std::make_shared<Socket>())
{
    socket_->handlers = std::move(handlers);
    network_->post([state = socket_, home = network_->home(), url, maxMessageBytes] {
        auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, home);
        state->socket = socket;
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(maxMessageBytes));
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(maxMessageBytes));
        QObject::connect(socket, &QWebSocket::connected, socket, [state] { state->opened(); });
        QObject::connect(socket, &QWebSocket::textMessageReceived, socket, [state](const QString& message) {
            if (!state->closing && state->handlers.text)
                state->handlers.text(message.toUtf8());
        });
        QObject::connect(socket, &QWebSocket::binaryMessageReceived, socket, [state](const QByteArray&) {
            if (!state->closing && state->handlers.binary)
                state->handlers.binary();
        });
        QObject::connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), socket,
                         [state, socket](QAbstractSocket::SocketError) {
                             state->reportFailure(socket->errorString());
                             // A connection that never opened sends no disconnected signal.
                             if (!state->open)
                                 socket->deleteLater();
                         });
        QObject::connect(socket, &QWebSocket::disconnected, socket, [state, socket] {
            QString cause = QStringLiteral("the connection closed");
            if (socket->error() != QAbstractSocket::UnknownSocketError)
                cause = socket->errorString();
            else if (socket->closeCode() != QWebSocketProtocol::CloseCodeNormal)
                cause += QStringLiteral(" (code %1)").arg(int(socket->closeCode()));
            state->reportFailure(cause);
            state->closing = true;
            socket->deleteLater();
        });
        socket->open(url);
    });
}

CloudConnection::~CloudConnection()
{
    network_->post([state = socket_] {
        state->handlers = {};
        state->perform(Close{QWebSocketProtocol::CloseCodeGoingAway});
    });
    dropIfNotOpen();
}

void CloudConnection::sendText(const QByteArray& utf8)
{
    network_->post([state = socket_, utf8] { state->perform(Text{utf8}); });
}

void CloudConnection::sendBinary(const QByteArray& data)
{
    network_->post([state = socket_, data] { state->perform(Binary{data}); });
}

void CloudConnection::close()
{
    network_->post([state = socket_] { state->perform(Close{QWebSocketProtocol::CloseCodeNormal}); });
}

void CloudConnection::dropIfNotOpen()
{
    network_->post([state = socket_] {
        if (state->open || !state->socket)
            return;
        state->closing = true;
        state->waiting.clear();
        state->socket->abort();
        state->socket->deleteLater();
    });
}
