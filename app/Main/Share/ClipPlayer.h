#pragma once
// Plays one kept recording through the sound server, so the user can hear it before sharing it:
// play, pause, resume, restart after the end, and how far it has got (sampled every 0.05 s
// while playing). A recording that can't be read leaves nothing to play and a duration of 0.

#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QAudioSink;

class ClipPlayer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made with its share window")
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)
    // The position as a share of the duration; exactly 1 once the clip played to its end.
    Q_PROPERTY(double fraction READ fraction NOTIFY fractionChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)

public:
    explicit ClipPlayer(QObject* parent = nullptr);
    ~ClipPlayer() override;

    bool playing() const { return playing_; }
    double fraction() const { return fraction_; }
    double duration() const { return duration_; }

    // Replaces whatever was loaded; plays nothing.
    void load(const QString& path);
    // Plays from where it stands (from the start once within 0.05 s of the end), or pauses.
    Q_INVOKABLE void toggle();
    // Back to the start, not playing.
    Q_INVOKABLE void stop();

signals:
    void playingChanged();
    void fractionChanged();
    void durationChanged();

private:
    double position() const;
    void start(qint64 fromByte);
    void finish();
    void releaseSink();
    void setPlaying(bool playing);
    void setFraction(double fraction);

    QAudioFormat format_;
    QByteArray pcm_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
    bool loaded_ = false;
    qint64 startByte_ = 0;  // where the sink's run began, or the position while it has none
    QTimer progress_;
    bool playing_ = false;
    double fraction_ = 0;
    double duration_ = 0;
};
