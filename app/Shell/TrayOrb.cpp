#include "TrayOrb.h"

#include "Pill/PillController.h"
#include "StatusIcon.h"

namespace {
constexpr double frameSeconds = 1.0 / 30;
}

TrayOrb::TrayOrb(PillController& pill, std::function<void(const QImage&)> show, QObject* parent)
    : QObject(parent), pill_(pill), show_(std::move(show))
{
    frames_.setInterval(std::chrono::milliseconds(33));
    connect(&frames_, &QTimer::timeout, this, &TrayOrb::frame);
    connect(&pill_, &PillController::changed, this, &TrayOrb::follow);
}

void TrayOrb::follow()
{
    if (pill_.animating()) {
        state_.setMode(static_cast<OrbState::Mode>(pill_.orbMode()));
        if (!frames_.isActive())
            frames_.start();
        return;
    }
    if (!frames_.isActive())
        return;
    frames_.stop();
    state_.setMode(OrbState::Idle);
    show_(StatusIcon::orb(OrbState(), std::nullopt, true));
}

void TrayOrb::frame()
{
    state_.advance(frameSeconds, pill_.level());
    show_(StatusIcon::orb(state_, std::nullopt, true));
}
