#pragma once
// A scriptable HTTP/1.1 server on 127.0.0.1 for tests, running on its own thread, in plain words or
// over TLS as hosts elsewhere speak. Each route answers with a response that may also misbehave on
// purpose (stall, cut the connection); every request is recorded.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

struct HttpRequest {
    QByteArray method;
    QByteArray target;  // the path with its query, as sent
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray path() const;  // the target without its query
    QByteArray header(const QByteArray& name) const;  // case-insensitive; empty when absent
    bool hasHeader(const QByteArray& name) const { return !header(name).isNull(); }
};

struct HttpResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    std::chrono::milliseconds delayBeforeHeaders{0};
    // Read the request, then close the connection without a word.
    bool closeWithoutAnswer = false;
    // Send only this many body bytes, then close the connection.
    std::optional<qint64> closeAfterBytes;
    // Send only this many body bytes, then go quiet with the connection open.
    std::optional<qint64> stallAfterBytes;
    // Send the body one byte at a time at this pace.
    std::optional<std::chrono::milliseconds> dripEvery;
    // Send the body in chunks, without announcing its length.
    bool chunked = false;
    // After the body, send filler without end (as fast as it is taken in, up to 1 GiB), chunked unless the
    // headers announce a length of their own.
    bool endless = false;

    static HttpResponse text(int status, const QByteArray& body, const QByteArray& contentType = "text/plain");
    static HttpResponse json(int status, const QByteArray& body) { return text(status, body, "application/json"); }
    // `start`, then filler without end.
    static HttpResponse endlessAfter(int status, const QByteArray& start);
    // White space and then the body, a byte every 20 ms: a minute in all.
    static HttpResponse trickled(int status, const QByteArray& body);
    // The content as a file server sends it: whole (200), or the requested range (206 with
    // Content-Range), or 416 for a range past the end.
    static HttpResponse file(const QByteArray& content, const HttpRequest& request);
};

class TestHttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    // Encrypted: https:// addresses, with a certificate this process's clients are made to trust.
    // Untrusted: https:// addresses too, with a certificate no client trusts.
    enum class Transport { plain, encrypted, untrusted };

    explicit TestHttpServer(Transport transport = Transport::plain);
    ~TestHttpServer();

    // Handlers run on the server's thread. Unrouted requests get 404.
    void route(const QByteArray& method, const QByteArray& path, Handler handler);

    QUrl url(const QString& path = {}) const;
    quint16 port() const;

    QList<HttpRequest> requests() const;
    void clearRequests();
    // What this process read (its clients, from their sockets) while endless answers were being
    // sent. What the server wrote is no measure: the kernel takes in as much as its socket buffers
    // hold, and how much of them fills before a client's hang-up arrives is the machine's speed.
    qint64 endlessBytesTakenIn() const;
    // Whether clients hung up on every endless answer near `limit`: each may have taken in the
    // limit, the read buffer the client set and what the network stack's own buffers hold (a
    // megabyte at most), never more.
    bool endlessStoppedNear(qint64 limit, qint64 readBuffer) const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};
