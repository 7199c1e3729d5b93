#pragma once
// One run of 16-bit sound through the sound server's default output, from a given frame to the
// end. It never waits for the server: what becomes of the run reaches the main thread as one call
// of onFinished or onFailed.

#include "SoundServer.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

struct pa_stream;

class SoundPlayback : public QObject {
    Q_OBJECT

public:
    // pcm: interleaved 16-bit samples; fromByte: a whole frame's start.
    SoundPlayback(QByteArray pcm, int sampleRate, int channels, qint64 fromByte);
    // Nothing is called once it has begun.
    ~SoundPlayback() override;

    // Each is called at most once, on the main thread; a failure (no server, no output, a server
    // whose output isn't ready within SoundServer::answerLimit, the output gone while playing, a
    // server silent for SoundServer::answerLimit while playing) ends the run.
    std::function<void()> onFinished;
    std::function<void()> onFailed;

    void start();
    // Seconds of the run the output has played so far; once the output broke, the last it told.
    double playedSeconds();

private:
    void changed();
    void write(size_t bytes);
    void report(bool finished);
    void heard();
    void checkHeard();

    QByteArray pcm_;
    int sampleRate_;
    int channels_;
    qint64 next_;  // the next byte to hand to the server
    SoundServer server_;
    pa_stream* stream_ = nullptr;
    bool reported_ = false;  // under the server's lock
    double played_ = 0;  // the last time the stream told, under the server's lock
    bool heard_ = false;  // since the last check, under the server's lock
    int silentChecks_ = 0;
    QTimer silence_;
};
