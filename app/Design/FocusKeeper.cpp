#include "FocusKeeper.h"

#include <utility>

namespace {

bool isInside(const QQuickItem* item, const QQuickItem* group)
{
    for (const QQuickItem* p = item; p; p = p->parentItem()) {
        if (p == group)
            return true;
    }
    return false;
}

}

void FocusKeeper::setArea(QQuickItem* area)
{
    if (area_ == area)
        return;
    if (area_)
        disconnect(area_, nullptr, this, nullptr);
    area_ = area;
    stopFollowing();
    lostPlace_.clear();
    if (area_)
        connect(area_, &QQuickItem::windowChanged, this, &FocusKeeper::watchWindow);
    watchWindow();
    emit areaChanged();
}

void FocusKeeper::watchWindow()
{
    QQuickWindow* window = area_ ? area_->window() : nullptr;
    if (window == window_)
        return;
    if (window_)
        disconnect(window_, nullptr, this, nullptr);
    stopFollowing();
    window_ = window;
    if (!window_)
        return;
    connect(window_, &QQuickWindow::activeFocusItemChanged, this, &FocusKeeper::focusMoved);
    // A loss while the window was in the background is handed on when the user is back.
    connect(window_, &QWindow::activeChanged, this, [this] {
        if (window_->isActive() && !lostPlace_.isEmpty())
            scheduleHandOn();
    });
    focusMoved();
}

bool FocusKeeper::isSeenControl(const QQuickItem* item) const
{
    return item && item->window() == window_ && item->isVisible() && item->isEnabled() && item->activeFocusOnTab();
}

bool FocusKeeper::isShown(const QQuickItem* item) const
{
    return item && item->window() == window_ && item->isVisible();
}

bool FocusKeeper::inArea(const QQuickItem* item) const
{
    return area_ && isInside(item, area_);
}

void FocusKeeper::focusMoved()
{
    QQuickItem* now = window_->activeFocusItem();
    // No focus at all: the window went to the background, and the focus comes back as it was.
    if (!now || now == followed_)
        return;
    if (isSeenControl(now)) {
        settleOn(now);
        return;
    }
    // The focus fell back to a scope: the control that had it may be on its way out of the
    // window, or only disabled for a moment. Its place is noted now, while whatever holds it is
    // still there.
    if (followed_)
        suspectLoss();
}

void FocusKeeper::settleOn(QQuickItem* control)
{
    lostPlace_.clear();
    if (inArea(control))
        follow(control);
    else
        stopFollowing();
}

void FocusKeeper::follow(QQuickItem* control)
{
    stopFollowing();
    followed_ = control;
    const auto check = [this] {
        if (!isShown(followed_))
            suspectLoss();
    };
    followedSignals_ = {connect(control, &QQuickItem::visibleChanged, this, check),
                        connect(control, &QQuickItem::windowChanged, this, check)};
}

void FocusKeeper::stopFollowing()
{
    for (const auto& connection : std::as_const(followedSignals_))
        disconnect(connection);
    followedSignals_.clear();
    followed_ = nullptr;
}

void FocusKeeper::suspectLoss()
{
    if (inArea(followed_)) {
        lostPlace_.clear();
        for (QQuickItem* p = followed_; p && p != area_; p = p->parentItem())
            lostPlace_.append(p);
    }
    scheduleHandOn();
}

void FocusKeeper::scheduleHandOn()
{
    if (handOnPending_)
        return;
    handOnPending_ = true;
    QMetaObject::invokeMethod(this, &FocusKeeper::handOn, Qt::QueuedConnection);
}

void FocusKeeper::handOn()
{
    handOnPending_ = false;
    if (!window_ || !area_ || !area_->isVisible()) {
        stopFollowing();
        lostPlace_.clear();
        return;
    }
    if (!window_->isActive())
        return;
    QQuickItem* now = window_->activeFocusItem();
    if (isSeenControl(now)) {
        settleOn(now);
        return;
    }
    // Still shown, the control wasn't lost: the focus was put elsewhere on purpose, or the
    // control is only disabled and keeps its claim (it has the focus back once enabled).
    if (isShown(followed_)) {
        lostPlace_.clear();
        if (followed_->isEnabled())
            stopFollowing();
        return;
    }
    stopFollowing();
    const QList<QPointer<QQuickItem>> place = std::exchange(lostPlace_, {});
    if (place.isEmpty())
        return;
    // Only a focus still lost is moved: on the lost control, on nothing, or fallen back to the
    // area or what holds it; not one put on purpose somewhere else.
    const bool lost = !now || inArea(now) || isInside(area_, now) || !now->isVisible() || !now->isEnabled();
    if (!lost)
        return;
    // The innermost part of the lost control's place still in the window: the control itself when
    // it is only hidden, else what held it.
    QQuickItem* anchor = area_;
    for (const QPointer<QQuickItem>& p : place) {
        if (p && p->window() == window_ && inArea(p)) {
            anchor = p;
            break;
        }
    }
    QQuickItem* target = nearestControl(anchor);
    // The control that takes it is followed as the focus arrives.
    target->forceActiveFocus(Qt::TabFocusReason);
}

QQuickItem* FocusKeeper::nearestControl(QQuickItem* anchor) const
{
    for (const bool forward : {true, false}) {
        QQuickItem* next = anchor->nextItemInFocusChain(forward);
        if (next && next != anchor && isSeenControl(next) && inArea(next))
            return next;
    }
    return area_;
}
