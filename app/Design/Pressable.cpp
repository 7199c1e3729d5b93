#include "Pressable.h"

#include <QtQml/qqml.h>

Pressable::Pressable(QObject* control) : QObject(control), control_(qobject_cast<QQuickItem*>(control))
{
    if (control_)
        connect(control_, &QQuickItem::activeFocusChanged, this, &Pressable::focusChanged);
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
