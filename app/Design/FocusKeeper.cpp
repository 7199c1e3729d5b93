#include "FocusKeeper.h"

#include "Pressable.h"

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

// Whether `item` comes before `other` in their window's item tree, the order Tab follows; an item
// comes before what it holds.
bool comesBefore(const QQuickItem* item, const QQuickItem* other)
{
    const auto pathTo = [](const QQuickItem* end) {
        QList<const QQuickItem*> path;
        for (const QQuickItem* p = end; p; p = p->parentItem())
            path.prepend(p);
        return path;
    };
    const QList<const QQuickItem*> itemPath = pathTo(item);
    const QList<const QQuickItem*> otherPath = pathTo(other);
    qsizetype shared = 0;
    while (shared < itemPath.size() && shared < otherPath.size() && itemPath.at(shared) == otherPath.at(shared))
        ++shared;
    if (shared == 0 || shared == otherPath.size())
        return false;
    if (shared == itemPath.size())
        return true;
    const QList<QQuickItem*> siblings = itemPath.at(shared - 1)->childItems();
    return siblings.indexOf(itemPath.at(shared)) < siblings.indexOf(otherPath.at(shared));
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
    if (window_) {
        disconnect(window_, nullptr, this, nullptr);
        window_->removeEventFilter(this);
    }
    stopFollowing();
    stopAwaiting();
    window_ = window;
    if (!window_)
        return;
    window_->installEventFilter(this);
    connect(window_, &QQuickWindow::activeFocusItemChanged, this, &FocusKeeper::focusMoved);
    // A loss while the window was in the background is handed on when the user is back.
    connect(window_, &QWindow::activeChanged, this, [this] {
        if (!window_->isActive())
            return;
        if (!lostPlace_.isEmpty())
            scheduleHandOn();
        // Once the window has its focus back.
        QMetaObject::invokeMethod(this, &FocusKeeper::returnAwaited, Qt::QueuedConnection);
    });
    focusMoved();
}

bool FocusKeeper::eventFilter(QObject* watched, QEvent* event)
{
    // Whatever the user presses meanwhile, the focus stays where it is now.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        stopAwaiting();
    return QObject::eventFilter(watched, event);
}

bool FocusKeeper::isSeenControl(const QQuickItem* item) const
{
    return item && item->window() == window_ && item->isVisible() && item->isEnabled() && item->activeFocusOnTab();
}

bool FocusKeeper::isSafeTarget(const QQuickItem* item) const
{
    const Pressable* pressable = Pressable::of(item);
    return isSeenControl(item) && inArea(item) && !(pressable && pressable->dangerous());
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
        if (!isShown(followed_) || !followed_->isEnabled())
            suspectLoss();
    };
    followedSignals_ = {connect(control, &QQuickItem::visibleChanged, this, check),
                        connect(control, &QQuickItem::enabledChanged, this, check),
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
    // Still shown and enabled, the control wasn't lost: the focus was put elsewhere on purpose.
    if (isShown(followed_) && followed_->isEnabled()) {
        lostPlace_.clear();
        stopFollowing();
        return;
    }
    QQuickItem* disabled = isShown(followed_) ? followed_.get() : nullptr;
    // How the focus came to it, as a pressable keeps it: by the keyboard, with its ring.
    const Pressable* pressable = disabled ? Pressable::of(disabled) : nullptr;
    const Qt::FocusReason reason = pressable ? pressable->focusCameBy() : Qt::OtherFocusReason;
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
    // it is only hidden or disabled, else what held it.
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
    if (disabled)
        awaitReturn(disabled, target, reason);
}

void FocusKeeper::awaitReturn(QQuickItem* control, QQuickItem* holder, Qt::FocusReason reason)
{
    stopAwaiting();
    awaited_ = control;
    holder_ = holder;
    awaitedReason_ = reason;
    awaitedSignal_ = connect(control, &QQuickItem::enabledChanged, this, &FocusKeeper::returnAwaited);
}

void FocusKeeper::returnAwaited()
{
    // A window in the background has no focus to compare: it is looked at when the user is back.
    if (!awaited_ || !awaited_->isEnabled() || !window_ || !window_->isActive())
        return;
    const QPointer<QQuickItem> returning = awaited_;
    const bool untouched = holder_ && window_->activeFocusItem() == holder_;
    const Qt::FocusReason cameBy = awaitedReason_;
    stopAwaiting();
    if (untouched && isSeenControl(returning))
        returning->forceActiveFocus(cameBy);
}

void FocusKeeper::stopAwaiting()
{
    disconnect(awaitedSignal_);
    awaited_ = nullptr;
    holder_ = nullptr;
}

QQuickItem* FocusKeeper::nearestControl(QQuickItem* anchor) const
{
    // The first safe control after the anchor in the area's order, the order Tab follows, else
    // the last one before it. The area's items are walked rather than the Tab chain: from a
    // control that is no longer shown, the chain does not lead to the one after it.
    QQuickItem* before = nullptr;
    QList<QQuickItem*> pending{area_};
    while (!pending.isEmpty()) {
        QQuickItem* item = pending.takeFirst();
        if (!item->isVisible())
            continue;
        if (item != anchor && isSafeTarget(item)) {
            if (!comesBefore(item, anchor))
                return item;
            before = item;
        }
        pending = item->childItems() + pending;
    }
    if (before)
        return before;
    if (isShown(heading_) && inArea(heading_))
        return heading_;
    return area_;
}
