#include "TestHttpServer.h"

#include "TestTls.h"

#include <QFile>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <future>
#include <mutex>

QByteArray HttpRequest::path() const
{
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

HttpResponse HttpResponse::text(int status, const QByteArray& body, const QByteArray& contentType)
{
    HttpResponse response;
    response.status = status;
    response.body = body;
    response.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray(contentType)));
    return response;
}

HttpResponse HttpResponse::endlessAfter(int status, const QByteArray& start)
{
    HttpResponse response = text(status, start);
    response.endless = true;
    return response;
}

HttpResponse HttpResponse::trickled(int status, const QByteArray& body)
{
    HttpResponse response = text(status, QByteArray(3000, ' ') + body);
    response.dripEvery = std::chrono::milliseconds(20);
    return response;
}

HttpResponse HttpResponse::file(const QByteArray& content, const HttpRequest& request)
{
    static const QRegularExpression rangePattern(QStringLiteral("^bytes=(\\d+)-(\\d*)$"));
    const auto match = rangePattern.match(QString::fromLatin1(request.header("Range")));
    HttpResponse response;
    response.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/octet-stream")));
    response.headers.append(qMakePair(QByteArray("Accept-Ranges"), QByteArray("bytes")));
    if (!match.hasMatch()) {
        response.body = content;
        return response;
    }
    const qint64 start = match.captured(1).toLongLong();
    qint64 end = match.captured(2).isEmpty() ? content.size() - 1 : match.captured(2).toLongLong();
    if (start >= content.size()) {
        response.status = 416;
        response.headers.append(
            qMakePair(QByteArray("Content-Range"), QByteArray("bytes */" + QByteArray::number(content.size()))));
        return response;
    }
    end = std::min<qint64>(end, content.size() - 1);
    response.status = 206;
    response.body = content.mid(start, end - start + 1);
    response.headers.append(qMakePair(QByteArray("Content-Range"),
                                      QByteArray("bytes " + QByteArray::number(start) + "-" + QByteArray::number(end)
                                                 + "/" + QByteArray::number(content.size()))));
    return response;
}

namespace {

// One connection: reads one request, answers it, closes.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, TestHttpServer::Impl& server);

private:
    void readRequest();
    void respond(const HttpResponse& response);
    void drip(const QByteArray& body, std::chrono::milliseconds every);
    void sendEndlessly(bool chunked);
    ~Connection() override;

    QTcpSocket* socket_;
    TestHttpServer::Impl& server_;
    QByteArray buffer_;
    HttpRequest request_;
    bool headerDone_ = false;
    qint64 bodyExpected_ = 0;
    bool responding_ = false;
    qint64 endlessQueued_ = 0;
    bool endless_ = false;
};

// Far more than any limit, small enough to end by itself.
constexpr qint64 endlessCap = qint64(1) << 30;
constexpr qint64 endlessPiece = 64 * 1024;

QByteArray chunk(const QByteArray& bytes)
{
    return QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n";
}

// What the network stack buffers for a connection past the read buffer its client sets: the
// socket's own buffer and the records of the encryption still being taken apart.
constexpr qint64 transportBuffers = 1024 * 1024;

// All this process has read from files and sockets so far.
qint64 processBytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (io.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : io.readAll().split('\n')) {
            if (line.startsWith("rchar:"))
                return line.mid(6).trimmed().toLongLong();
        }
    }
    return 0;
}

}

class TestHttpServer::Impl : public QObject {
public:
    QTcpServer* server = nullptr;
    quint16 port = 0;
    QString scheme;
    mutable std::mutex mutex;
    QHash<QByteArray, Handler> routes;
    QList<HttpRequest> requests;
    // Endless answers: how many began, how many are being sent, and what the process read while
    // any was (from when the first of them began).
    int endlessAnswers = 0;
    int endlessOpen = 0;
    qint64 readBeforeOpen = 0;
    qint64 readWhileOpen = 0;

    void endlessBegan()
    {
        std::lock_guard lock(mutex);
        ++endlessAnswers;
        if (endlessOpen++ == 0)
            readBeforeOpen = processBytesRead();
    }

    void endlessEnded()
    {
        std::lock_guard lock(mutex);
        if (--endlessOpen == 0)
            readWhileOpen += processBytesRead() - readBeforeOpen;
    }

    HttpResponse answer(const HttpRequest& request)
    {
        Handler handler;
        {
            std::lock_guard lock(mutex);
            requests.append(request);
            handler = routes.value(request.method + ' ' + request.path());
        }
        if (!handler)
            return HttpResponse::text(404, "not found");
        return handler(request);
    }
};

Connection::Connection(QTcpSocket* socket, TestHttpServer::Impl& server)
    : QObject(socket), socket_(socket), server_(server)
{
    connect(socket_, &QTcpSocket::readyRead, this, [this] { readRequest(); });
    connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
}

void Connection::readRequest()
{
    if (responding_) {
        socket_->readAll();
        return;
    }
    buffer_.append(socket_->readAll());
    if (!headerDone_) {
        const qsizetype end = buffer_.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer_.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request_.method = requestLine.value(0);
        request_.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request_.headers.append(qMakePair(QByteArray(lines[i].left(colon).trimmed()),
                                                  QByteArray(lines[i].mid(colon + 1).trimmed())));
        }
        bodyExpected_ = request_.header("Content-Length").toLongLong();
        buffer_.remove(0, end + 4);
        headerDone_ = true;
    }
    if (buffer_.size() < bodyExpected_)
        return;
    request_.body = buffer_.left(bodyExpected_);
    responding_ = true;
    HttpResponse response = server_.answer(request_);
    if (response.delayBeforeHeaders.count() > 0) {
        QTimer::singleShot(response.delayBeforeHeaders, this, [this, response] { respond(response); });
    } else {
        respond(response);
    }
}

void Connection::respond(const HttpResponse& response)
{
    if (response.closeWithoutAnswer) {
        socket_->disconnectFromHost();
        return;
    }
    // Clients read the status code; the reason phrase is free text.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    bool announced = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        announced = announced || name.compare("Content-Length", Qt::CaseInsensitive) == 0;
    }
    const bool chunked = !announced && (response.chunked || response.endless);
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (!announced)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (response.endless) {
        socket_->write(head + (chunked && !response.body.isEmpty() ? chunk(response.body) : response.body));
        sendEndlessly(chunked);
        return;
    }
    if (chunked) {
        socket_->write(head + (response.body.isEmpty() ? QByteArray() : chunk(response.body)) + chunk({}));
        socket_->disconnectFromHost();
        return;
    }
    if (response.dripEvery) {
        socket_->write(head);
        drip(response.body, *response.dripEvery);
        return;
    }
    const qint64 sent = std::min({response.body.size(), response.closeAfterBytes.value_or(response.body.size()),
                                  response.stallAfterBytes.value_or(response.body.size())});
    socket_->write(head + response.body.left(sent));
    // A stalled answer stays connected and silent; any other closes once it is written.
    if (sent == response.body.size() || !response.stallAfterBytes)
        socket_->disconnectFromHost();
}

void Connection::sendEndlessly(bool chunked)
{
    // As fast as the client takes it in: a client must hang up at its limit even at loopback speed.
    const QByteArray piece = chunked ? chunk(QByteArray(endlessPiece, 'x')) : QByteArray(endlessPiece, 'x');
    const auto topUp = [this, piece] {
        while (endlessQueued_ < endlessCap && socket_->bytesToWrite() < 4 * endlessPiece) {
            socket_->write(piece);
            endlessQueued_ += piece.size();
        }
        if (endlessQueued_ >= endlessCap && socket_->bytesToWrite() == 0)
            socket_->disconnectFromHost();
    };
    endless_ = true;
    server_.endlessBegan();
    connect(socket_, &QTcpSocket::bytesWritten, this, topUp);
    topUp();
}

Connection::~Connection()
{
    if (endless_)
        server_.endlessEnded();
}

void Connection::drip(const QByteArray& body, std::chrono::milliseconds every)
{
    if (body.isEmpty()) {
        socket_->disconnectFromHost();
        return;
    }
    QTimer::singleShot(every, this, [this, body, every] {
        socket_->write(body.left(1));
        drip(body.mid(1), every);
    });
}

TestHttpServer::TestHttpServer(Transport transport) : impl_(std::make_unique<Impl>())
{
    const bool encrypted = transport != Transport::plain;
    if (transport == Transport::encrypted)
        TestTls::trustTheTestServers();
    impl_->scheme = encrypted ? QStringLiteral("https") : QStringLiteral("http");
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("test-http-server"));
    impl_->moveToThread(thread);
    thread->start();
    std::promise<quint16> ready;
    QMetaObject::invokeMethod(impl_.get(), [this, transport, encrypted, &ready] {
        if (encrypted) {
            auto* server = new QSslServer(impl_.get());
            server->setSslConfiguration(transport == Transport::encrypted ? TestTls::serverConfiguration()
                                                                          : TestTls::untrustedServerConfiguration());
            impl_->server = server;
        } else {
            impl_->server = new QTcpServer(impl_.get());
        }
        impl_->server->listen(QHostAddress::LocalHost, 0);
        // A connection is pending once accepted, or once its handshake is done.
        QObject::connect(impl_->server, &QTcpServer::pendingConnectionAvailable, impl_.get(), [this] {
            while (QTcpSocket* socket = impl_->server->nextPendingConnection())
                new Connection(socket, *impl_);
        });
        ready.set_value(impl_->server->serverPort());
    });
    impl_->port = ready.get_future().get();
}

TestHttpServer::~TestHttpServer()
{
    QThread* thread = impl_->thread();
    QMetaObject::invokeMethod(
        impl_.get(),
        [this] {
            delete impl_->server;  // closes every connection it parents
            impl_->server = nullptr;
            impl_->moveToThread(nullptr);
        },
        Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    delete thread;
}

void TestHttpServer::route(const QByteArray& method, const QByteArray& path, Handler handler)
{
    std::lock_guard lock(impl_->mutex);
    impl_->routes.insert(method + ' ' + path, std::move(handler));
}

QUrl TestHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(impl_->scheme).arg(impl_->port).arg(path));
}

quint16 TestHttpServer::port() const
{
    return impl_->port;
}

QList<HttpRequest> TestHttpServer::requests() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void TestHttpServer::clearRequests()
{
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

qint64 TestHttpServer::endlessBytesTakenIn() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->readWhileOpen + (impl_->endlessOpen > 0 ? processBytesRead() - impl_->readBeforeOpen : 0);
}

bool TestHttpServer::endlessStoppedNear(qint64 limit, qint64 readBuffer) const
{
    const qint64 answers = [this] {
        std::lock_guard lock(impl_->mutex);
        return impl_->endlessAnswers;
    }();
    return endlessBytesTakenIn() <= answers * (limit + readBuffer + transportBuffers);
}
