#include "AccessibleState.h"

#include <QAccessible>
#include <QQuickItem>
#include <QtQuick/private/qaccessiblequickitem_p.h>
#include <QtQuick/private/qquickitem_p.h>

namespace {

// Qt Quick's own accessible item, which says nothing of `enabled`.
class EnabledAwareItem : public QAccessibleQuickItem {
public:
    explicit EnabledAwareItem(QQuickItem* item) : QAccessibleQuickItem(item)
    {
        // The bus asks for the state once; a reader learns of a change only by the event.
        QObject::connect(item, &QQuickItem::enabledChanged, item, [item] {
            QAccessible::State changed;
            changed.disabled = true;
            QAccessibleStateChangeEvent event(item, changed);
            QAccessible::updateAccessibility(&event);
        });
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleQuickItem::state();
        if (!item()->isEnabled()) {
            state.disabled = true;
            state.focusable = false;
        }
        return state;
    }
};

QAccessibleInterface* makeInterface(const QString& /*className*/, QObject* object)
{
    auto* item = qobject_cast<QQuickItem*>(object);
    // Only what Qt Quick itself makes an interface for: items an `Accessible` property was set on.
    if (!item || !QQuickItemPrivate::get(item)->isAccessible)
        return nullptr;
    return new EnabledAwareItem(item);
}

}

void AccessibleState::install()
{
    // The factory installed last is asked first, before Qt Quick's.
    QAccessible::removeFactory(makeInterface);
    QAccessible::installFactory(makeInterface);
}
