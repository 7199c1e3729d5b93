#pragma once

#include <QObject>
#include <QPointF>
#include <QtQml/qqmlregistration.h>

#include <vector>

// The orb's animated state: its mode, its clock, the clock reading when the mode last changed,
// the level it shows (eased towards the input level) and the dust motes it sheds while listening.
class OrbState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("An orb's state belongs to its OrbView.")
    Q_PROPERTY(Mode mode READ mode WRITE setMode NOTIFY modeChanged)

public:
    enum Mode { Idle, Listening, Thinking, Inserted, Error };
    Q_ENUM(Mode)

    struct Mote {
        QPointF position;  // relative to the orb's centre, in units of its radius
        QPointF velocity;  // per second
        double life = 1;  // 1 when born, gone at 0
    };

    using QObject::QObject;

    Mode mode() const { return mode_; }
    // A different mode restarts the mode clock at the current time; entering `Inserted` also
    // clears the motes.
    void setMode(Mode mode);

    // Moves the clock on by `seconds` and eases the shown level towards `level`.
    void advance(double seconds, double level);

    double seconds() const { return seconds_; }
    double modeStartedAt() const { return modeStartedAt_; }
    double shownLevel() const { return shownLevel_; }
    const std::vector<Mote>& motes() const { return motes_; }

signals:
    void modeChanged();

private:
    Mode mode_ = Idle;
    double seconds_ = 0;  // the clock: seconds advanced so far
    double modeStartedAt_ = 0;  // the clock's reading when the mode last changed
    double shownLevel_ = 0;
    double motesDue_ = 0;  // motes owed to the time passed, a fraction of one carried over
    unsigned seed_ = 1;  // the motes' own random sequence, the same on every run
    std::vector<Mote> motes_;
};
