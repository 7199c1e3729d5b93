#pragma once
// The tray's orb following the dictation: while the pill shows a dictation under way, the orb
// listens or thinks at 30 frames a second with the microphone's level; otherwise it rests, with
// no timer running.

#include "OrbState.h"

#include <QImage>
#include <QTimer>

#include <functional>

class PillController;

class TrayOrb : public QObject {
    Q_OBJECT
public:
    // `show` puts each frame in the tray.
    TrayOrb(PillController& pill, std::function<void(const QImage&)> show, QObject* parent = nullptr);

private:
    void follow();
    void frame();

    PillController& pill_;
    std::function<void(const QImage&)> show_;
    OrbState state_;
    QTimer frames_;
};
