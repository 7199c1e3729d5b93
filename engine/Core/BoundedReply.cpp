#include "Core/BoundedReply.h"

#include <QNetworkReply>

#include <algorithm>

QString describe(ReplyBreach breach)
{
    switch (breach) {
    case ReplyBreach::tooLong:
        return QStringLiteral("the answer was too long");
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
    for (;;) {
        const qint64 available = std::max<qint64>(reply_.bytesAvailable(), 1);
        const qsizetype end = body.size();
        body.resize(end + std::min(available, bounds_.maxBytes - read_ + 1));
        const qint64 got = read(body.data() + end, body.size() - end);
        body.resize(end + std::max<qint64>(got, 0));
        if (got <= 0)
            return;
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
    // Queued: the reply may be in the middle of the signal that brought the news. A finished
    // reply keeps the breach (the rest of its body was over the limit) and needs no abort.
    if (!reply_.isFinished())
        QMetaObject::invokeMethod(&reply_, &QNetworkReply::abort, Qt::QueuedConnection);
}
