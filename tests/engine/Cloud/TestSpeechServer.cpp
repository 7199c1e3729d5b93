#include "TestSpeechServer.h"

#include "TestSupport.h"

#include <QHostAddress>
#include <QWebSocket>
#include <QWebSocketServer>

#include <gtest/gtest.h>

using namespace CloudProtocol;

QList<QByteArray> TestSpeechServer::Connection::frames(bool binary) const
{
    QList<QByteArray> result;
    for (const Frame& frame : received) {
        if (frame.binary == binary)
            result.append(frame.data);
    }
    return result;
}

void TestSpeechServer::Connection::send(const QByteArray& text)
{
    socket_->sendTextMessage(QString::fromUtf8(text));
}

void TestSpeechServer::Connection::sendInFrames(const QByteArray& text, int frameBytes)
{
    const quint64 usual = socket_->outgoingFrameSize();
    socket_->setOutgoingFrameSize(static_cast<quint64>(frameBytes));
    socket_->sendTextMessage(QString::fromUtf8(text));
    socket_->setOutgoingFrameSize(usual);
}

void TestSpeechServer::Connection::sendBinary(const QByteArray& data)
{
    socket_->sendBinaryMessage(data);
}

void TestSpeechServer::Connection::close(int code)
{
    socket_->close(static_cast<QWebSocketProtocol::CloseCode>(code));
}

TestSpeechServer::TestSpeechServer()
    : server_(std::make_unique<QWebSocketServer>(QStringLiteral("test"), QWebSocketServer::NonSecureMode))
{
    script = [this](Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start)
            connection.send(ready());
        else if (message.type == ClientKind::finish)
            connection.send(final(finalText));
    };
    if (!server_->listen(QHostAddress::LocalHost))
        ADD_FAILURE() << "the test speech server could not listen";
    QObject::connect(server_.get(), &QWebSocketServer::newConnection, server_.get(), [this] {
        while (QWebSocket* socket = server_->nextPendingConnection()) {
            socket->setParent(server_.get());
            auto connection = std::make_shared<Connection>(socket);
            connections_.append(connection);
            Connection* raw = connection.get();
            QObject::connect(socket, &QWebSocket::textMessageReceived, socket, [this, raw](const QString& text) {
                raw->received.append({false, text.toUtf8()});
                if (const auto message = ClientMessage::decode(text.toUtf8()); message && script)
                    script(*raw, *message);
            });
            QObject::connect(socket, &QWebSocket::binaryMessageReceived, socket, [raw](const QByteArray& data) {
                raw->received.append({true, data});
            });
            QObject::connect(socket, &QWebSocket::disconnected, socket, [raw, socket] {
                raw->closeCode = socket->closeCode();
                raw->disconnected = true;
            });
        }
    });
}

TestSpeechServer::~TestSpeechServer() = default;

TestSpeechServer::Script TestSpeechServer::onStart(const QList<QByteArray>& replies)
{
    return [replies](Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            for (const QByteArray& reply : replies)
                connection.send(reply);
        }
    };
}

QUrl TestSpeechServer::url() const
{
    return QUrl(QStringLiteral("ws://127.0.0.1:%1/v1/stream").arg(server_->serverPort()));
}

TestSpeechServer::Connection& TestSpeechServer::connection(int index)
{
    return *connections_.at(index);
}

bool TestSpeechServer::waitForFrames(int connection, int count)
{
    return waitUntil(
        [&] { return connections_.size() > connection && connections_.at(connection)->received.size() >= count; });
}

bool TestSpeechServer::waitForClose(int connection)
{
    return waitUntil([&] { return connections_.size() > connection && connections_.at(connection)->disconnected; });
}

QByteArray TestSpeechServer::ready()
{
    return ServerMessage{ServerKind::ready, {}, {}, {}}.encode();
}

QByteArray TestSpeechServer::partial(const QString& text)
{
    return ServerMessage{ServerKind::partial, text, {}, {}}.encode();
}

QByteArray TestSpeechServer::final(const std::optional<QString>& text)
{
    return ServerMessage{ServerKind::final, text, {}, {}}.encode();
}

QByteArray TestSpeechServer::error(const QString& code, const std::optional<QString>& message)
{
    return ServerMessage{ServerKind::error, {}, code, message}.encode();
}
