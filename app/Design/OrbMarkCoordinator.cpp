#include "OrbMarkCoordinator.h"

#include "OrbView.h"

#include <cmath>
#include <numbers>

void OrbMarkCoordinator::start(OrbView* view)
{
    view_ = view;
    if (!timer_) {
        timer_ = new QTimer(this);
        timer_->setInterval(1000 / 30);
        connect(timer_, &QTimer::timeout, this, &OrbMarkCoordinator::tick);
    }
    timer_->start();
}

void OrbMarkCoordinator::stop()
{
    if (timer_) {
        timer_->stop();
        timer_->deleteLater();
        timer_ = nullptr;
    }
}

void OrbMarkCoordinator::tick()
{
    OrbView* view = view_.data();
    if (!view)
        return;
    loopSeconds_ += 1.0 / 30;
    double total = 0;
    for (const auto& step : loop_)
        total += step.second;
    double x = std::fmod(loopSeconds_, total);
    for (const auto& [mode, duration] : loop_) {
        if (duration > x) {
            view->orbState()->setMode(mode);
            view->setLevel(mode == OrbState::Listening ? simulatedVoiceLevel(loopSeconds_) : 0);
            return;
        }
        x -= duration;
    }
    view->orbState()->setMode(OrbState::Idle);
    view->setLevel(0);
}

// A voice-like level: syllables at about 2.6 a second, gaps when the slow gate closes, a little
// jitter and a slow swell.
double OrbMarkCoordinator::simulatedVoiceLevel(double t)
{
    const double gate = std::sin(0.9 * t) + std::sin(0.37 * t + 1.0) > -0.7 ? 1.0 : 0.05;
    const double syllable = std::pow(std::abs(std::sin((t * std::numbers::pi) * 2.6 + 0.8 * std::sin(1.3 * t))), 1.4);
    const double jitter = std::sin(12.7 * t) * (0.15 * std::sin(37.1 * t)) + 0.85;
    const double swell = 0.2 * std::sin(0.5 * t) + 0.8;
    return swell * (jitter * (gate * (0.78 * syllable + 0.22)));
}
