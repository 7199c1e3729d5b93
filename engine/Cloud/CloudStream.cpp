#include "Cloud/CloudStream.h"

#include "Cloud/CloudConnection.h"
#include "Cloud/CloudProtocol.h"
#include "Core/Log.h"

namespace {

Clock::Duration fromSeconds(double seconds)
{
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

}

std::shared_ptr<CloudStream> CloudStream::open(std::shared_ptr<NetworkThread> network, const CloudConfig& config,
                                               const QStringList& hotwords, const std::optional<QString>& token,
                                               Clock& clock)
{
    std::shared_ptr<CloudStream> stream(new CloudStream(config, clock));
    stream->start(std::move(network), hotwords, token);
    return stream;
}

CloudStream::CloudStream(const CloudConfig& config, Clock& clock) : config_(config), clock_(clock) {}

CloudStream::~CloudStream() = default;

void CloudStream::start(std::shared_ptr<NetworkThread> network, const QStringList& hotwords,
                        const std::optional<QString>& token)
{
    const std::weak_ptr<CloudStream> weak = weak_from_this();
    CloudConnection::Handlers handlers;
    handlers.text = [weak](const QByteArray& utf8) {
        if (auto stream = weak.lock())
            stream->handle(utf8);
    };
    handlers.binary = [weak] {
        if (auto stream = weak.lock())
            stream->fail(CloudError::protocolViolation(QStringLiteral("not a text message in the expected format")));
    };
    handlers.failed = [weak](const QString& cause) {
        if (auto stream = weak.lock())
            stream->fail(CloudError::connection(cause));
    };
    connection_ = std::make_unique<CloudConnection>(std::move(network), config_.url, CloudProtocol::maxMessageBytes,
                                                    std::move(handlers));

    CloudProtocol::ClientMessage start{CloudProtocol::ClientKind::start, CloudProtocol::version, config_.language,
                                       std::nullopt, token};
    if (!hotwords.isEmpty())
        start.hotwords = hotwords;
    connection_->sendText(start.encode());

    // Looks only at "ready": a server that sends partial text but never acknowledges still fails.
    // A server that has not even completed the handshake by then is given up on, also when the
    // stream was cancelled meanwhile and its goodbye still waits for the connection to open.
    clock_.schedule(fromSeconds(config_.connectTimeout), [weak] {
        auto stream = weak.lock();
        if (!stream)
            return;
        bool ready = false;
        {
            std::lock_guard guard(stream->lock_);
            ready = stream->ready_;
        }
        if (ready)
            return;
        stream->fail(CloudError::timeout());
        stream->connection_->dropIfNotOpen();
    });
}

std::vector<QByteArray> CloudStream::takeFramesLocked(bool all)
{
    std::vector<QByteArray> frames;
    size_t offset = 0;
    while (buffer_.size() - offset >= CloudProtocol::frameSamples) {
        frames.push_back(CloudProtocol::encode(std::span(buffer_).subspan(offset, CloudProtocol::frameSamples)));
        offset += CloudProtocol::frameSamples;
    }
    if (all && offset < buffer_.size()) {
        frames.push_back(CloudProtocol::encode(std::span(buffer_).subspan(offset)));
        offset = buffer_.size();
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    return frames;
}

void CloudStream::accept(std::span<const float> samples)
{
    std::vector<QByteArray> frames;
    {
        std::lock_guard guard(lock_);
        if (finishing_ || completed_ || failure_ || samples.empty())
            return;
        buffer_.insert(buffer_.end(), samples.begin(), samples.end());
        spokenSamples_ += static_cast<qint64>(samples.size());
        frames = takeFramesLocked(false);
    }
    for (const QByteArray& frame : frames)
        connection_->sendBinary(frame);
}

QString CloudStream::text()
{
    std::lock_guard guard(lock_);
    return partial_;
}

void CloudStream::finish(std::function<void(const QString&)> completion)
{
    std::vector<QByteArray> frames;
    bool failed = false;
    qint64 spoken = 0;
    {
        std::unique_lock guard(lock_);
        if (finishing_ || cancelled_)
            return;
        finishing_ = true;
        if (completed_) {
            // A final message came first: hand over what the stream completed with.
            const QString text = completedText_;
            guard.unlock();
            completion(text);
            return;
        }
        done_ = std::move(completion);
        failed = failure_.has_value();
        if (!failed)
            frames = takeFramesLocked(true);
        spoken = spokenSamples_;
    }
    if (failed) {
        complete(std::nullopt);
        return;
    }
    for (const QByteArray& frame : frames)
        connection_->sendBinary(frame);
    connection_->sendText(CloudProtocol::ClientMessage{CloudProtocol::ClientKind::finish, {}, {}, {}, {}}.encode());

    const double audioSeconds = double(spoken) / CloudProtocol::sampleRate;
    const double wait =
        std::min(config_.finishTimeout + audioSeconds * config_.finishTimeoutPerSecond, config_.finishTimeoutMax);
    clock_.schedule(fromSeconds(wait), [weak = weak_from_this()] {
        if (auto stream = weak.lock())
            stream->fail(CloudError::timeout());
    });
}

void CloudStream::cancel()
{
    bool wasCompleted = false;
    {
        std::lock_guard guard(lock_);
        if (cancelled_)
            return;
        cancelled_ = true;
        wasCompleted = std::exchange(completed_, true);
        done_ = nullptr;
    }
    if (wasCompleted)
        return;
    connection_->sendText(CloudProtocol::ClientMessage{CloudProtocol::ClientKind::cancel, {}, {}, {}, {}}.encode());
    connection_->close();
}

bool CloudStream::isReady()
{
    std::lock_guard guard(lock_);
    return ready_;
}

std::optional<CloudError> CloudStream::failure()
{
    std::lock_guard guard(lock_);
    return failure_;
}

void CloudStream::handle(const QByteArray& utf8)
{
    const auto message = CloudProtocol::ServerMessage::decode(utf8);
    if (!message) {
        fail(CloudError::protocolViolation(QStringLiteral("not a text message in the expected format")));
        return;
    }
    switch (message->type) {
    case CloudProtocol::ServerKind::ready: {
        std::lock_guard guard(lock_);
        ready_ = true;
        break;
    }
    case CloudProtocol::ServerKind::partial: {
        std::lock_guard guard(lock_);
        if (!completed_ && message->text)
            partial_ = *message->text;
        break;
    }
    case CloudProtocol::ServerKind::final:
        complete(message->text);
        break;
    case CloudProtocol::ServerKind::error:
        fail(CloudError::server(message->code.value_or(QStringLiteral("unknown")),
                                message->message.value_or(QString())));
        break;
    }
}

void CloudStream::complete(const std::optional<QString>& text)
{
    QString result;
    std::function<void(const QString&)> done;
    {
        std::lock_guard guard(lock_);
        if (completed_)
            return;
        completed_ = true;
        result = text.value_or(partial_).trimmed();
        completedText_ = result;
        done = std::exchange(done_, nullptr);
    }
    connection_->close();
    if (done)
        done(result);
}

void CloudStream::fail(const CloudError& error)
{
    bool wasFinishing = false;
    {
        std::lock_guard guard(lock_);
        if (completed_)
            return;
        if (!failure_) {
            failure_ = error;
            Log::info(QStringLiteral("cloud dictation: ") + error.description());
        }
        wasFinishing = finishing_;
    }
    if (wasFinishing)
        complete(std::nullopt);
}
