#include "FocusOrder.h"

#include <QQuickItem>

namespace {

// The row a list view shows at `index`, when it has made one there.
QQuickItem* rowAt(QQuickItem* list, int index)
{
    QQuickItem* row = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, index));
    return row;
}

}

void FocusOrder::placeRow(QQuickItem* row, QQuickItem* list, int index)
{
    if (!row || !list)
        return;
    if (QQuickItem* next = rowAt(list, index + 1))
        row->stackBefore(next);
    else if (QQuickItem* previous = rowAt(list, index - 1))
        row->stackAfter(previous);
}
