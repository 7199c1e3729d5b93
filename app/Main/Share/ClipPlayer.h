#pragma once
// Plays one kept recording through the sound server, so the user can hear it before sharing it:
// play, pause, resume, restart after the end, and how far it has got (sampled every 0.05 s
// while playing). A recording that can't be read leaves nothing to play and a duration of 0. A
// run the output fails (no sound server, no output, the output gone) stops where it got to, with
// a line that says so.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>

class SoundPlayback;

class ClipPlayer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made with its share window")
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)
    // The position as a share of the duration; exactly 1 once the clip played to its end.
    Q_PROPERTY(double fraction READ fraction NOTIFY fractionChanged)
    Q_PROPERTY(double duration READ duration NOTIFY durationChanged)
    // Empty, or why the last play stopped before the end.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    explicit ClipPlayer(QObject* parent = nullptr);
    ~ClipPlayer() override;

    bool playing() const { return playing_; }
    double fraction() const { return fraction_; }
    double duration() const { return duration_; }
    QString problem() const { return problem_; }

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
    void problemChanged();

private:
    double position() const;
    qint64 bytesAt(double seconds) const;
    void start(qint64 fromByte);
    // Ends the playback, to go on from `fromByte` at the next Play.
    void halt(qint64 fromByte);
    void haltFromReport(qint64 fromByte);
    void finish();
    void fail();
    void pause();
    void setPlaying(bool playing);
    void setFraction(double fraction);
    void setProblem(const QString& problem);

    QByteArray pcm_;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::unique_ptr<SoundPlayback> playback_;
    bool loaded_ = false;
    qint64 startByte_ = 0;  // where the playback's run began, or the position while it has none
    QTimer progress_;
    bool playing_ = false;
    double fraction_ = 0;
    double duration_ = 0;
    QString problem_;
};
