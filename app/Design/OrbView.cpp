#include "OrbView.h"

#include "QM.h"
#include "WindowOnScreen.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The body's radius as a share of the orb's side; at rest it breathes by a share of that radius,
// at a rate in radians per second.
constexpr double bodyShare = 0.32;
constexpr double breathDepth = 0.03;
constexpr double breathRate = 1.6;
// Seconds the ring widens after inserting; then the orb stands still.
constexpr double insertedRing = 0.6;

constexpr int movingFrame = 16;
constexpr int slowestFrame = 500;
// How far a resting orb's edge may move between frames, in device pixels: less shows no change.
constexpr double restingStep = 0.25;

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

}  // namespace

OrbView::OrbView(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(&frameClock_, &QTimer::timeout, this, &OrbView::frame);
    connect(&state_, &OrbState::modeChanged, this, [this] {
        update();
        updateFrameClock();
    });
}

void OrbView::setLevel(double level)
{
    if (level == level_)
        return;
    level_ = level;
    emit levelChanged();
}

void OrbView::setLight(bool light)
{
    if (light == light_)
        return;
    light_ = light;
    update();
    emit lightChanged();
}

void OrbView::setRunning(bool running)
{
    if (running == running_)
        return;
    running_ = running;
    updateFrameClock();
    emit runningChanged();
}

void OrbView::itemChange(ItemChange change, const ItemChangeData& data)
{
    QQuickPaintedItem::itemChange(change, data);
    if (change == ItemSceneChange) {
        // A new window gets a new frame clock, which starts from a fresh first frame.
        if (onScreen_)
            disconnect(onScreen_, nullptr, this, nullptr);
        onScreen_ = data.window ? WindowOnScreen::of(data.window) : nullptr;
        if (onScreen_)
            connect(onScreen_, &WindowOnScreen::onScreenChanged, this, &OrbView::updateFrameClock);
        sincePrevious_.invalidate();
        updateFrameClock();
    }
}

std::optional<int> OrbView::framePace() const
{
    // Motes drift whatever the mode.
    if (!state_.motes().empty())
        return movingFrame;
    switch (state_.mode()) {
    case OrbState::Idle: {
        const double pixelRatio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
        const double edgeSpeed = std::min(width(), height()) * pixelRatio * bodyShare * breathDepth * breathRate;
        if (edgeSpeed <= 0)
            return std::nullopt;
        return std::clamp(int(1000 * restingStep / edgeSpeed), movingFrame, slowestFrame);
    }
    case OrbState::Listening:
    case OrbState::Thinking:
        return movingFrame;
    case OrbState::Inserted:
        return state_.seconds() - state_.modeStartedAt() < insertedRing ? std::optional(movingFrame) : std::nullopt;
    case OrbState::Error:
        break;
    }
    return std::nullopt;
}

void OrbView::updateFrameClock()
{
    const std::optional<int> pace = running_ && onScreen_ && onScreen_->onScreen() ? framePace() : std::nullopt;
    if (!pace) {
        frameClock_.stop();
        sincePrevious_.invalidate();
    } else if (!frameClock_.isActive() || frameClock_.interval() != *pace) {
        frameClock_.start(*pace);
    }
}

void OrbView::frame()
{
    const double longest = std::max(0.05, 1.5 * frameClock_.interval() / 1000.0);
    const double seconds = sincePrevious_.isValid() ? std::min(sincePrevious_.restart() / 1000.0, longest) : 1.0 / 60;
    if (!sincePrevious_.isValid())
        sincePrevious_.start();
    state_.advance(seconds, std::clamp(level_, 0.0, 1.0));
    update();
    // What is shown now may move at another pace, or have come to rest.
    updateFrameClock();
}

// An ink body (paper on a dark bar) that swells with the voice; a saffron arc circles while
// thinking; a saffron flash with a widening ring after inserting; red on error.
void OrbView::paint(QPainter* painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF centre = boundingRect().center();
    const double side = std::min(width(), height());
    const double base = side * bodyShare;
    const double t = state_.seconds();
    const double inMode = t - state_.modeStartedAt();
    const QColor body = light_ ? QM::paper : QM::ink;
    double radius = base;

    painter->setPen(Qt::NoPen);
    switch (state_.mode()) {
    case OrbState::Idle:
        radius = base * (1 + breathDepth * std::sin(t * breathRate));
        painter->setBrush(body);
        break;
    case OrbState::Listening: {
        radius = base * (1 + 0.22 * state_.shownLevel());
        painter->setBrush(withAlpha(QM::saffronBright, 0.25 + 0.35 * state_.shownLevel()));
        painter->drawEllipse(centre, radius * 1.35, radius * 1.35);
        painter->setBrush(body);
        break;
    }
    case OrbState::Thinking:
        painter->setBrush(body);
        break;
    case OrbState::Inserted: {
        const double grow = std::min(inMode / insertedRing, 1.0);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(withAlpha(QM::saffron, 1 - grow), side * 0.04));
        painter->drawEllipse(centre, base * (1 + 0.5 * grow), base * (1 + 0.5 * grow));
        painter->setPen(Qt::NoPen);
        painter->setBrush(QM::saffron);
        break;
    }
    case OrbState::Error:
        painter->setBrush(QM::danger);
        break;
    }
    painter->drawEllipse(centre, radius, radius);

    if (state_.mode() == OrbState::Thinking) {
        const double arcRadius = base * 1.3;
        const QRectF arc(centre.x() - arcRadius, centre.y() - arcRadius, 2 * arcRadius, 2 * arcRadius);
        painter->setPen(QPen(QM::saffron, side * 0.06, Qt::SolidLine, Qt::RoundCap));
        painter->setBrush(Qt::NoBrush);
        painter->drawArc(arc, int(-inMode * 360 * 16), 100 * 16);
    }

    painter->setPen(Qt::NoPen);
    for (const OrbState::Mote& mote : state_.motes()) {
        painter->setBrush(withAlpha(QM::saffronBright, mote.life));
        painter->drawEllipse(centre + mote.position * base, side * 0.025, side * 0.025);
    }
}
