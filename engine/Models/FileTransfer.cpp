#include "FileTransfer.h"

#include "Core/SafeRedirects.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace FileTransfer {

namespace {

// Bounds what the reply holds in memory when the disk is slower than the network.
constexpr qint64 readBufferSize = 4 * 1024 * 1024;
// The bytes taken from the reply and written to disk at a time: small enough to stay in the
// processor's cache between the two copies, so writing a piece doesn't read it back from memory.
constexpr qsizetype pieceSize = 256 * 1024;

struct Transfer {
    QString destination;
    qint64 start = 0;
    std::function<void(qint64)> progress;

    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    std::optional<Outcome> outcome;  // the first one recorded wins

    // Used on the network thread only.
    QPointer<QNetworkReply> reply;
    BoundedReply* bounded = nullptr;  // the reply's child
    QFile output;
    QByteArray piece;
    bool responded = false;
    int status = 0;
    qint64 received = 0;

    void record(Outcome recorded)
    {
        std::lock_guard lock(mutex);
        if (!outcome)
            outcome = std::move(recorded);
    }
};

Outcome failure(const QString& message, bool retry)
{
    return Outcome{Outcome::Kind::failed, message, retry, std::nullopt};
}

// Asking again can't shorten the server's file; a server that stalled or was slow may do better.
Outcome failure(ReplyBreach breach)
{
    if (breach == ReplyBreach::tooLong)
        return failure(QStringLiteral("the server sent more than the listed size"), false);
    return failure(describe(breach), true);
}

void cutToEmpty(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.resize(0);
}

// The first byte a 206 answer covers, from "bytes first-last/total".
std::optional<qint64> rangeStart(const QByteArray& contentRange)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*bytes\\s+(\\d+)-\\d+/(\\d+|\\*)\\s*$"));
    const auto match = pattern.match(QString::fromLatin1(contentRange));
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 first = match.captured(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(first) : std::nullopt;
}

// The whole file's size from a 416 answer's "bytes */size", when the server gave one.
std::optional<qint64> unsatisfiedSize(const QByteArray& contentRange)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*bytes\\s+\\*/(\\d+)\\s*$"));
    const auto match = pattern.match(QString::fromLatin1(contentRange));
    bool ok = false;
    const qint64 size = match.hasMatch() ? match.captured(1).toLongLong(&ok) : 0;
    return ok ? std::optional<qint64>(size) : std::nullopt;
}

// Ends a reply from inside its own signals: queued, so the reply finishes its current step first.
void stop(QNetworkReply& reply)
{
    QMetaObject::invokeMethod(&reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

// Judges the status line and headers once; returns whether the body is to be written.
bool respond(Transfer& transfer, QNetworkReply& reply)
{
    if (transfer.responded)
        return transfer.output.isOpen();
    const QVariant statusAttribute = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.toInt();
    // Neither an interim status nor a redirect's headers are the answer: the one at the end is.
    if (statusAttribute.isValid() && (status < 200 || SafeRedirects::isRedirect(reply)))
        return false;
    transfer.responded = true;
    if (!statusAttribute.isValid()) {
        transfer.record(failure(QStringLiteral("no HTTP response"), true));
        stop(reply);
        return false;
    }
    transfer.status = status;
    const QString statusText = QStringLiteral("HTTP ") + QString::number(status);
    if (status == 200 && transfer.start > 0) {
        cutToEmpty(transfer.destination);
        Outcome outcome = failure(QStringLiteral("the server ignored the range request"), true);
        outcome.startOver = true;
        transfer.record(std::move(outcome));
        stop(reply);
        return false;
    }
    if (status == 206 && rangeStart(reply.rawHeader("Content-Range")) != transfer.start) {
        // Appending bytes from anywhere else would corrupt the file; the file stays as it is.
        transfer.record(failure(QStringLiteral("the server sent another range than the one asked for"), true));
        stop(reply);
        return false;
    }
    if (status == 200 || status == 206) {
        transfer.output.setFileName(transfer.destination);
        // Unbuffered: each piece goes to the file as it is, without another copy.
        if (!transfer.output.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
            || !transfer.output.resize(transfer.start) || !transfer.output.seek(transfer.start)) {
            transfer.record(failure(QStringLiteral("can't write the file: ") + transfer.output.errorString(), false));
            transfer.output.close();
            stop(reply);
            return false;
        }
        return true;
    }
    if (status == 416) {
        // The bytes here can't be resumed from; the next attempt starts over.
        cutToEmpty(transfer.destination);
        Outcome outcome = failure(statusText, true);
        outcome.serverFileSize = unsatisfiedSize(reply.rawHeader("Content-Range"));
        transfer.record(std::move(outcome));
        stop(reply);
        return false;
    }
    const bool retry = status == 408 || status == 425 || status == 429 || (status >= 500 && status <= 599);
    transfer.record(failure(statusText, retry));
    stop(reply);
    return false;
}

void receive(Transfer& transfer, QNetworkReply& reply)
{
    if (!respond(transfer, reply))
        return;
    if (transfer.piece.isEmpty())
        transfer.piece.resize(pieceSize);
    while (transfer.output.isOpen() && reply.bytesAvailable() > 0) {
        const qint64 size = transfer.bounded->read(transfer.piece.data(), pieceSize);
        if (size <= 0)
            break;
        if (transfer.output.write(transfer.piece.constData(), size) != size) {
            transfer.record(failure(QStringLiteral("can't write the file: ") + transfer.output.errorString(), false));
            transfer.output.close();
            stop(reply);
            return;
        }
        transfer.received += size;
        if (transfer.progress)
            transfer.progress(size);
    }
}

void complete(Transfer& transfer, QNetworkReply& reply)
{
    // Asking again would be redirected the same way. (The refused redirect's headers are gone.)
    if (const QString refused = SafeRedirects::refusal(reply); !refused.isEmpty())
        transfer.record(failure(refused, false));
    if (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        receive(transfer, reply);
    if (transfer.output.isOpen() && !transfer.output.flush())
        transfer.record(failure(QStringLiteral("can't write the file: ") + transfer.output.errorString(), false));
    transfer.output.close();
    // A cancellation asked for by the caller is already recorded, so any error left here is a
    // broken bound or the network's, and worth another attempt unless the answer was too long.
    if (const auto breach = transfer.bounded->breach())
        transfer.record(failure(*breach));
    if (reply.error() != QNetworkReply::NoError)
        transfer.record(failure(reply.errorString(), true));
    // A whole file that arrived complete, as long as the server says it is.
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if (transfer.status == 200 && announced.isValid() && announced.toLongLong() == transfer.received)
        transfer.record(Outcome{Outcome::Kind::done, {}, false, transfer.received});
    transfer.progress = nullptr;
    {
        std::lock_guard lock(transfer.mutex);
        transfer.finished = true;
    }
    transfer.wake.notify_all();
    reply.deleteLater();
}

}

Outcome run(NetworkThread& network, const QNetworkRequest& request, const ReplyBounds& bounds,
            const QString& destination, qint64 start, const std::function<void(qint64)>& progress,
            const std::function<bool()>& cancelled)
{
    auto transfer = std::make_shared<Transfer>();
    transfer->destination = destination;
    transfer->start = start;
    transfer->progress = progress;

    network.post([transfer, request, bounds](QNetworkAccessManager& manager) {
        QNetworkReply* reply = SafeRedirects::get(manager, request);
        reply->setReadBufferSize(readBufferSize);
        transfer->reply = reply;
        transfer->bounded = &BoundedReply::watch(*reply, bounds);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
                         [transfer, reply] { respond(*transfer, *reply); });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [transfer, reply] { receive(*transfer, *reply); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [transfer, reply] { complete(*transfer, *reply); });
    });

    std::unique_lock lock(transfer->mutex);
    bool cancelRequested = false;
    while (!transfer->wake.wait_for(lock, std::chrono::milliseconds(250), [&] { return transfer->finished; })) {
        if (cancelRequested)
            continue;
        lock.unlock();
        const bool stop = cancelled();
        lock.lock();
        if (!stop)
            continue;
        cancelRequested = true;
        if (!transfer->outcome)
            transfer->outcome = Outcome{Outcome::Kind::cancelled, {}, false, std::nullopt};
        network.post([transfer](QNetworkAccessManager&) {
            if (transfer->reply)
                transfer->reply->abort();
        });
    }
    return transfer->outcome.value_or(Outcome{});
}

}
