#include "OrbView.h"

#include "QM.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

}  // namespace

OrbView::OrbView(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    frameClock_.setInterval(16);
    connect(&frameClock_, &QTimer::timeout, this, &OrbView::frame);
    connect(&state_, &OrbState::modeChanged, this, [this] { update(); });
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
        hasFrameClock_ = data.window != nullptr;
        sincePrevious_.invalidate();
        updateFrameClock();
    }
}

void OrbView::updateFrameClock()
{
    if (hasFrameClock_ && running_) {
        frameClock_.start();
    } else {
        frameClock_.stop();
        sincePrevious_.invalidate();
    }
}

void OrbView::frame()
{
    const double seconds = sincePrevious_.isValid() ? std::min(sincePrevious_.restart() / 1000.0, 0.05) : 1.0 / 60;
    if (!sincePrevious_.isValid())
        sincePrevious_.start();
    state_.advance(seconds, std::clamp(level_, 0.0, 1.0));
    update();
}

// An ink body (paper on a dark bar) that swells with the voice; a saffron arc circles while
// thinking; a saffron flash with a widening ring after inserting; red on error.
void OrbView::paint(QPainter* painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF centre = boundingRect().center();
    const double side = std::min(width(), height());
    const double base = side * 0.32;
    const double t = state_.t();
    const double inMode = t - state_.stateT();
    const QColor body = light_ ? QM::paper : QM::ink;
    double radius = base;

    painter->setPen(Qt::NoPen);
    switch (state_.mode()) {
    case OrbState::Idle:
        radius = base * (1 + 0.03 * std::sin(t * 1.6));
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
        const double grow = std::min(inMode / 0.6, 1.0);
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
