#include "Pressable.h"

#include <QKeyEvent>
#include <QtQml/qqml.h>

Pressable::Pressable(QObject* control) : QObject(control), control_(qobject_cast<QQuickItem*>(control))
{
    if (!control_)
        return;
    connect(control_, &QQuickItem::activeFocusChanged, this, &Pressable::focusChanged);
    control_->installEventFilter(this);
}

bool Pressable::ringShows() const
{
    // The template's own: the focus came by the keyboard.
    return control_->property("visualFocus").toBool();
}

bool Pressable::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_ || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // A focus the mouse left behind takes no Space, pressed or let go.
    if (key->key() == Qt::Key_Space && !ringShows()) {
        key->accept();
        return true;
    }
    const bool pressKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!pressKey || event->type() != QEvent::KeyPress || !ringShows() || !returnPresses_ || !control_->isEnabled())
        return false;
    key->accept();
    emit keyPressed();
    return true;
}

const Pressable* Pressable::of(const QQuickItem* control)
{
    return qobject_cast<const Pressable*>(qmlAttachedPropertiesObject<Pressable>(control, false));
}

void Pressable::focusChanged()
{
    if (!control_->hasActiveFocus())
        return;
    // A control's focus reason is its template's own property; the window's coming back is not a
    // way the user brought the focus here, so the control gets the one that did.
    const auto reason = static_cast<Qt::FocusReason>(control_->property("focusReason").toInt());
    if (reason == Qt::ActiveWindowFocusReason) {
        control_->setProperty("focusReason", static_cast<int>(cameBy_));
        return;
    }
    if (reason == cameBy_)
        return;
    cameBy_ = reason;
    emit focusCameByChanged();
}
