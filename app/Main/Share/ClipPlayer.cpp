#include "Main/Share/ClipPlayer.h"

#include <QAudioSink>
#include <QFile>

#include <sndfile.h>

#include <vector>

namespace {
constexpr int tickMilliseconds = 50;
constexpr double restartWithin = 0.05;  // seconds before the end
}

ClipPlayer::ClipPlayer(QObject* parent) : QObject(parent)
{
    progress_.setInterval(tickMilliseconds);
    connect(&progress_, &QTimer::timeout, this, [this] {
        if (loaded_ && duration_ > 0)
            setFraction(position() / duration_);
    });
}

ClipPlayer::~ClipPlayer()
{
    releaseSink();
}

void ClipPlayer::load(const QString& path)
{
    stop();
    pcm_.clear();
    loaded_ = false;
    duration_ = 0;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file && info.channels > 0 && info.samplerate > 0) {
        std::vector<short> samples(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
        const sf_count_t read = sf_readf_short(file, samples.data(), info.frames);
        if (read >= 0) {
            pcm_ = QByteArray(reinterpret_cast<const char*>(samples.data()),
                              qsizetype(read) * info.channels * qsizetype(sizeof(short)));
            format_.setSampleRate(info.samplerate);
            format_.setChannelCount(info.channels);
            format_.setSampleFormat(QAudioFormat::Int16);
            duration_ = double(read) / info.samplerate;
            loaded_ = true;
        }
    }
    if (file)
        sf_close(file);
    buffer_.setData(pcm_);
    emit durationChanged();
}

void ClipPlayer::toggle()
{
    if (!loaded_)
        return;
    if (playing_) {
        startByte_ = format_.bytesForDuration(qint64(position() * 1e6));
        releaseSink();
        progress_.stop();
        setPlaying(false);
        return;
    }
    start(position() >= duration_ - restartWithin ? 0 : startByte_);
    setPlaying(true);
    progress_.start();
}

void ClipPlayer::stop()
{
    releaseSink();
    startByte_ = 0;
    progress_.stop();
    setPlaying(false);
    setFraction(0);
}

double ClipPlayer::position() const
{
    const qint64 played = sink_ ? sink_->processedUSecs() : 0;
    return std::min(double(format_.durationForBytes(startByte_)) / 1e6 + double(played) / 1e6, duration_);
}

void ClipPlayer::start(qint64 fromByte)
{
    releaseSink();
    // Whole frames only, or the channels and bytes of a sample would be read out of step.
    startByte_ = fromByte - fromByte % std::max(format_.bytesPerFrame(), 1);
    buffer_.open(QIODevice::ReadOnly);
    buffer_.seek(startByte_);
    sink_ = std::make_unique<QAudioSink>(format_);
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        // The sink runs dry once the whole recording went out: that is the end of the clip.
        if (state == QAudio::IdleState && buffer_.atEnd())
            finish();
    });
    sink_->start(&buffer_);
}

void ClipPlayer::finish()
{
    releaseSink();
    startByte_ = pcm_.size();
    progress_.stop();
    setPlaying(false);
    setFraction(1.0);
}

void ClipPlayer::releaseSink()
{
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
        sink_.reset();
    }
    buffer_.close();
}

void ClipPlayer::setPlaying(bool playing)
{
    if (playing_ == playing)
        return;
    playing_ = playing;
    emit playingChanged();
}

void ClipPlayer::setFraction(double fraction)
{
    if (fraction_ == fraction)
        return;
    fraction_ = fraction;
    emit fractionChanged();
}
