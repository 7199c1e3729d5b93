#pragma once
// One WebSocket connection to the speech server, usable from any thread. The socket lives on
// the network thread; what is sent before the connection is open waits and goes out in order
// once it opens, so neither the start message nor early audio is lost.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class NetworkThread;

class CloudConnection {
public:
    // Called on the network thread.
    struct Handlers {
        std::function<void(const QByteArray& utf8)> text;
        std::function<void()> binary;
        // The connection could not open, broke, or the server closed it; reported once, and
        // never after close().
        std::function<void(const QString& cause)> failed;
    };

    // Incoming messages above maxMessageBytes end the connection as a failure.
    CloudConnection(std::shared_ptr<NetworkThread> network, const QUrl& url, qint64 maxMessageBytes, Handlers handlers);
    // Closes with 1001 (going away) unless closed already; a handshake still under way is dropped.
    ~CloudConnection();

    CloudConnection(const CloudConnection&) = delete;
    CloudConnection& operator=(const CloudConnection&) = delete;

    void sendText(const QByteArray& utf8);
    void sendBinary(const QByteArray& data);
    // Normal closure (1000), after everything sent before it.
    void close();
    // A connection whose handshake has not completed is closed at once and what waits for it is
    // dropped; an open one is left as it is.
    void dropIfNotOpen();

    struct Socket;

private:
    std::shared_ptr<NetworkThread> network_;
    std::shared_ptr<Socket> socket_;
};
