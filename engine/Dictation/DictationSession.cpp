#include "DictationSession.h"

#include "Cloud/MonitoredStream.h"
#include "Core/MainThread.h"
#include "Core/SerialQueue.h"

#include <algorithm>
#include <utility>

// What the decode queue owns. The audio thread holds it weakly; work on the queue refers to it
// plainly, because the queue is its last member: destroying it runs the work already posted
// while everything else is still alive.
struct DictationSession::Decoder {
    std::shared_ptr<SpeechStream> stream;
    std::weak_ptr<DictationSession*> session;
    bool keepsAudio = false;
    Partial last;
    bool ended = false;
    std::vector<float> recorded;
    SerialQueue queue{"quillmarsh.decode"};

    void feed(const std::vector<float>& block)
    {
        if (ended)
            return;
        if (keepsAudio && recorded.size() + block.size() <= maxRecordedSamples)
            recorded.insert(recorded.end(), block.begin(), block.end());
        stream->accept(block);
        stream->decode();
        const QString text = stream->text();
        if (text == last.text)
            return;
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        last = Partial{text, words, static_cast<int>(std::min<qsizetype>(words.size(), 2))};
        runOnMainThread([session = session, partial = last] {
            if (auto alive = session.lock(); alive && (*alive)->onPartial)
                (*alive)->onPartial(partial);
        });
    }
};

DictationSession::DictationSession(SpeechEngine& engine, const QStringList& hotwords, const SourceFactory& makeSource)
    : self_(this), decoder_(std::make_shared<Decoder>())
{
    decoder_->session = self_.weak();
    decoder_->stream = engine.openStream(hotwords);
    source_ = makeSource();
}

DictationSession::~DictationSession() = default;

void DictationSession::start()
{
    // Nothing runs on the queue yet; the first block is posted after this.
    decoder_->keepsAudio = keepsAudio;
    source_->onAudio = [weakDecoder = std::weak_ptr<Decoder>(decoder_),
                        session = self_.weak()](const std::vector<float>& samples, float level) {
        const auto decoder = weakDecoder.lock();
        if (!decoder)
            return;
        runOnMainThread([session, level] {
            if (auto alive = session.lock(); alive && (*alive)->onLevel)
                (*alive)->onLevel(level);
        });
        decoder->queue.async([raw = decoder.get(), samples] { raw->feed(samples); });
    };
    source_->onFailure = [session = self_.weak()](const QString& reason) {
        runOnMainThread([session, reason] {
            if (auto alive = session.lock(); alive && (*alive)->onInputLost)
                (*alive)->onInputLost(reason);
        });
    };
    source_->start();
}

void DictationSession::finish(std::function<void(const QString& text)> completion)
{
    source_->stop();
    decoder_->queue.async([decoder = decoder_.get(), completion = std::move(completion)] {
        if (decoder->ended)
            return;
        decoder->ended = true;
        decoder->stream->finish(
            [completion](const QString& text) { runOnMainThread([completion, text] { completion(text); }); });
    });
}

void DictationSession::cancel()
{
    source_->stop();
    decoder_->queue.async([decoder = decoder_.get()] {
        if (decoder->ended)
            return;
        decoder->ended = true;
        decoder->stream->cancel();
    });
}

std::vector<float> DictationSession::takeRecordedAudio()
{
    std::vector<float> taken;
    decoder_->queue.sync([&] { taken = std::exchange(decoder_->recorded, {}); });
    return taken;
}

std::optional<QString> DictationSession::failure() const
{
    auto* monitored = dynamic_cast<MonitoredStream*>(decoder_->stream.get());
    const std::optional<CloudError> error = monitored ? monitored->failure() : std::nullopt;
    return error ? std::optional(error->description()) : std::nullopt;
}
