#include "Main/Share/ClipPlayer.h"

#include "Sound/SoundPlayback.h"

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

ClipPlayer::~ClipPlayer() = default;

void ClipPlayer::load(const QString& path)
{
    stop();
    setProblem({});
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
            sampleRate_ = info.samplerate;
            channels_ = info.channels;
            duration_ = double(read) / info.samplerate;
            loaded_ = true;
        }
    }
    if (file)
        sf_close(file);
    emit durationChanged();
}

void ClipPlayer::toggle()
{
    if (!loaded_)
        return;
    if (playing_) {
        pause();
        return;
    }
    setProblem({});
    start(position() >= duration_ - restartWithin ? 0 : startByte_);
    setPlaying(true);
    progress_.start();
}

void ClipPlayer::stop()
{
    halt(0);
    setFraction(0);
}

void ClipPlayer::halt(qint64 fromByte)
{
    playback_.reset();
    startByte_ = fromByte;
    progress_.stop();
    setPlaying(false);
}

void ClipPlayer::haltFromReport(qint64 fromByte)
{
    // The playback is calling from its own report, which has to return before it goes.
    if (playback_)
        playback_.release()->deleteLater();
    halt(fromByte);
}

double ClipPlayer::position() const
{
    const qint64 bytesPerSecond = qint64(sampleRate_) * channels_ * qint64(sizeof(short));
    const double from = bytesPerSecond > 0 ? double(startByte_) / double(bytesPerSecond) : 0;
    return std::min(from + (playback_ ? playback_->playedSeconds() : 0), duration_);
}

qint64 ClipPlayer::bytesAt(double seconds) const
{
    // Whole frames only, or the channels and bytes of a sample would be read out of step.
    const qint64 bytesPerFrame = qint64(channels_) * qint64(sizeof(short));
    return std::min(qint64(seconds * sampleRate_) * bytesPerFrame, qint64(pcm_.size()));
}

void ClipPlayer::start(qint64 fromByte)
{
    startByte_ = fromByte;
    playback_ = std::make_unique<SoundPlayback>(pcm_, sampleRate_, channels_, fromByte);
    playback_->onFinished = [this] { finish(); };
    playback_->onFailed = [this] { fail(); };
    playback_->start();
}

void ClipPlayer::pause()
{
    halt(bytesAt(position()));
}

void ClipPlayer::finish()
{
    haltFromReport(pcm_.size());
    setFraction(1.0);
}

// Stops where the output got to, so Play goes on from there once there is sound again. The failed
// output no longer tells its time: the last tick's position stands.
void ClipPlayer::fail()
{
    haltFromReport(bytesAt(fraction_ * duration_));
    setProblem(QStringLiteral("The sound couldn’t be played."));
}

void ClipPlayer::setPlaying(bool playing)
{
    if (playing_ == playing)
        return;
    playing_ = playing;
    emit playingChanged();
}

void ClipPlayer::setProblem(const QString& problem)
{
    if (problem_ == problem)
        return;
    problem_ = problem;
    emit problemChanged();
}

void ClipPlayer::setFraction(double fraction)
{
    if (fraction_ == fraction)
        return;
    fraction_ = fraction;
    emit fractionChanged();
}
