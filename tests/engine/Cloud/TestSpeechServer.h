#pragma once
// A scriptable WebSocket speech server on 127.0.0.1 for tests. It serves from the main thread's
// event loop (tests wait with waitUntil), records everything each client sends, in order, and
// answers through a per-test script.

#include "Cloud/CloudProtocol.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QWebSocket;
class QWebSocketServer;

class TestSpeechServer {
public:
    struct Frame {
        bool binary = false;
        QByteArray data;
    };

    // One client connection: what it sent and how it closed; the script answers through it.
    class Connection {
    public:
        explicit Connection(QWebSocket* socket) : socket_(socket) {}

        QList<Frame> received;
        std::optional<int> closeCode;  // set once the client is gone
        bool disconnected = false;

        QList<QByteArray> texts() const { return frames(false); }
        QList<QByteArray> audioFrames() const { return frames(true); }

        void send(const QByteArray& text);
        // One text message in frames of `frameBytes` bytes of its UTF-8, which may end inside a letter.
        void sendInFrames(const QByteArray& text, int frameBytes);
        void sendBinary(const QByteArray& data);
        void close(int code);

    private:
        QList<QByteArray> frames(bool binary) const;
        QWebSocket* socket_;
    };

    using Script = std::function<void(Connection&, const CloudProtocol::ClientMessage&)>;

    TestSpeechServer();
    ~TestSpeechServer();

    // Runs for every valid client message. The default acknowledges "start" and answers
    // "finish" with the final text finalText.
    Script script;
    QString finalText = QStringLiteral("HELLO");
    // A script that answers the start message with `replies` and nothing else.
    static Script onStart(const QList<QByteArray>& replies);

    QUrl url() const;
    Connection& connection(int index);
    // Waits (spinning the event loop) for the connection and for it to have received count
    // frames of any kind.
    bool waitForFrames(int connection, int count);
    bool waitForClose(int connection);

    static QByteArray ready();
    static QByteArray partial(const QString& text);
    static QByteArray final(const std::optional<QString>& text);
    static QByteArray error(const QString& code, const std::optional<QString>& message = std::nullopt);

private:
    // Outlives the server, whose sockets may still signal while they are destroyed.
    QList<std::shared_ptr<Connection>> connections_;
    std::unique_ptr<QWebSocketServer> server_;
};
