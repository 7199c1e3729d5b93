#include "OrbState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void OrbState::setMode(Mode mode)
{
    if (mode == mode_)
        return;
    mode_ = mode;
    modeStartedAt_ = seconds_;
    if (mode == Inserted)
        motes_.clear();
    emit modeChanged();
}

void OrbState::advance(double seconds, double level)
{
    seconds_ += seconds;
    // Rise quickly with the voice, fall back more slowly, so the orb breathes instead of flickering.
    const double rate = level > shownLevel_ ? 18.0 : 6.0;
    shownLevel_ += (level - shownLevel_) * std::min(1.0, seconds * rate);

    for (Mote& mote : motes_) {
        mote.position += mote.velocity * seconds;
        mote.life -= seconds / 1.2;
    }
    std::erase_if(motes_, [](const Mote& mote) { return mote.life <= 0; });

    if (mode_ != Listening)
        return;
    // Louder speech sheds more motes, up to 24 a second; a small fixed generator keeps it cheap.
    motesDue_ += seconds * 24 * shownLevel_;
    while (motesDue_ >= 1) {
        motesDue_ -= 1;
        seed_ = seed_ * 1103515245u + 12345u;
        const double angle = double((seed_ >> 8) % 3600) / 3600.0 * 2 * std::numbers::pi;
        const QPointF direction(std::cos(angle), std::sin(angle));
        motes_.push_back({direction * 1.05, direction * (0.35 + 0.4 * shownLevel_), 1.0});
    }
}
