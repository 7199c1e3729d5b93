#include "Core/SendOnce.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <cstring>

namespace {

// A request body Qt can read through once; rewinding it, which a resend needs, fails.
class OnceOnlyBody final : public QIODevice {
public:
    explicit OnceOnlyBody(QByteArray bytes) : bytes_(std::move(bytes))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    qint64 size() const override { return bytes_.size(); }
    bool seek(qint64 position) override { return position == read_ && QIODevice::seek(position); }
    bool reset() override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, bytes_.size() - read_);
        std::memcpy(data, bytes_.constData() + read_, static_cast<size_t>(count));
        read_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 read_ = 0;
};

}

QNetworkReply* sendOnce(QNetworkAccessManager& manager, const QNetworkRequest& request, const QByteArray& verb,
                        const QByteArray& body)
{
    QNetworkRequest sized = request;
    sized.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto* device = new OnceOnlyBody(body);
    QNetworkReply* reply = manager.sendCustomRequest(sized, verb, device);
    device->setParent(reply);
    return reply;
}
