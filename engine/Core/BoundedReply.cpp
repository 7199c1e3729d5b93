#include "Core/BoundedReply.h"

#include <QNetworkReply>

#include <algorithm>

QString describe(ReplyBreach breach)
{
    switch (breach) {
    case ReplyBreach::tooLong:
        return QStringLiteral("the server\u2019s answer was too long");
    case ReplyBreach::stalled:
        return QStringLiteral("the connection stalled");
    case ReplyBreach::overdue:
        return QStringLiteral("the server took too long");
    }
    return {};
}

BoundedReply& BoundedReply::watch(QNetworkReply& reply, const ReplyBounds& bounds)
{
    return *new BoundedReply(reply, bounds);
}

BoundedReply::BoundedReply(QNetworkReply& reply, const ReplyBounds& bounds)
    : QObject(&reply), reply_(reply), bounds_(bounds)
{
    // The bounds are deadlines kept to the millisecond: a coarse timer may fire 5% early.
    for (QTimer* timer : {&idle_, &overall_}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&idle_, &QTimer::timeout, this, [this] { breakOff(ReplyBreach::stalled); });
    connect(&overall_, &QTimer::timeout, this, [this] { breakOff(ReplyBreach::overdue); });
    idle_.start(bounds_.idle);
    overall_.start(bounds_.overall);
    // The read buffer size of a request with a body, which starts on the next turn of the event
    // loop, is lost when set before that start, and the network stack then takes in all the
    // server sends: it is told again once the request has started, before any answer can come.
    QMetaObject::invokeMethod(
        this, [this] { reply_.setReadBufferSize(reply_.readBufferSize()); }, Qt::QueuedConnection);
    connect(&reply_, &QNetworkReply::metaDataChanged, this, &BoundedReply::checkAnnouncedLength);
    connect(&reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        received_ = received;
        progressed();
    });
    connect(&reply_, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64) {
        sent_ = sent;
        progressed();
    });
    connect(&reply_, &QNetworkReply::finished, this, [this] {
        idle_.stop();
        overall_.stop();
    });
}

qint64 BoundedReply::read(char* data, qint64 maxSize)
{
    if (breach_)
        return 0;
    if (read_ >= bounds_.maxBytes) {
        if (reply_.bytesAvailable() > 0)
            breakOff(ReplyBreach::tooLong);
        return 0;
    }
    const qint64 got = reply_.read(data, std::min(maxSize, bounds_.maxBytes - read_));
    if (got > 0)
        read_ += got;
    return got;
}

void BoundedReply::readInto(QByteArray& body)
{
    // Read apart and then appended: a breach ends the reply, and its completion reads the body,
    // in the middle of a read.
    QByteArray piece;
    for (;;) {
        const qint64 available = std::max<qint64>(reply_.bytesAvailable(), 1);
        piece.resize(std::min(available, bounds_.maxBytes - read_ + 1));
        const qint64 got = read(piece.data(), piece.size());
        if (got <= 0)
            return;
        // Grown as usual, but never past the limit: a body near it would take twice its room.
        if (body.capacity() < body.size() + got)
            body.reserve(std::min(std::max(body.capacity() * 2, body.size() + got), bounds_.maxBytes));
        body.append(piece.constData(), got);
    }
}

void BoundedReply::checkAnnouncedLength()
{
    const QVariant announced = reply_.header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > bounds_.maxBytes)
        breakOff(ReplyBreach::tooLong);
}

void BoundedReply::progressed()
{
    const qint64 moved = sent_ + received_;
    if (moved - movedAtLastProgress_ < bounds_.steadyBytes || reply_.isFinished())
        return;
    movedAtLastProgress_ = moved;
    idle_.start(bounds_.idle);
}

void BoundedReply::breakOff(ReplyBreach breach)
{
    if (breach_)
        return;
    breach_ = breach;
    idle_.stop();
    overall_.stop();
    // At once, from the signal that brought the news: until the abort reaches the network
    // stack, its socket goes on taking in all the server sends. A finished reply keeps the breach
    // (the rest of its body was over the limit) and needs no abort.
    if (!reply_.isFinished())
        reply_.abort();
}
