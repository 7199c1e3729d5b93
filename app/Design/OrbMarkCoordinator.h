#pragma once

#include "OrbView.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <utility>
#include <vector>

// Plays the orb mark's demonstration loop: every 9.4 s it rests 1.4 s, listens 5.2 s to a
// simulated voice, thinks 1.0 s and shows 1.8 s of inserted. The loop clock counts ticks of
// exactly 1/30 s rather than wall time, so the loop is the same on every machine.
class OrbMarkCoordinator : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    using QObject::QObject;

    // Starts ticking 30 times a second for `view`; the view and the coordinator are held weakly.
    Q_INVOKABLE void start(OrbView* view);
    // Stops the loop (the embedding is taken down).
    Q_INVOKABLE void stop();
    // One tick: the clock moves on by 1/30 s and the view's mode and level follow the loop.
    void tick();

    double loopSeconds() const { return loopSeconds_; }
    static double simulatedVoiceLevel(double t);

private:
    QTimer* timer_ = nullptr;
    QPointer<OrbView> view_;
    double loopSeconds_ = 0;  // whole ticks of 1/30 s
    // The loop's steps: each mode and how many seconds it lasts.
    const std::vector<std::pair<OrbState::Mode, double>> loop_{
        {OrbState::Idle, 1.4}, {OrbState::Listening, 5.2}, {OrbState::Thinking, 1.0}, {OrbState::Inserted, 1.8}};
};
