#include "Main/History/WordFlow.h"

#include <algorithm>
#include <limits>

WordFlow::WordFlow(QQuickItem* parent) : QQuickItem(parent)
{
    connect(this, &WordFlow::layoutChanged, this, &QQuickItem::polish);
}

WordFlow::Placement WordFlow::place(const QList<QSizeF>& sizes, qreal maxWidth, qreal spacing, qreal lineSpacing)
{
    Placement placement;
    qreal x = 0, y = 0, lineHeight = 0, widest = 0;
    for (const QSizeF& size : sizes) {
        if (x > 0 && x + size.width() > maxWidth) {
            y += lineHeight + lineSpacing;
            x = 0;
            lineHeight = 0;
        }
        placement.frames.append(QRectF(QPointF(x, y), size));
        x += size.width() + spacing;
        lineHeight = std::max(lineHeight, size.height());
        widest = std::max(widest, x - spacing);
    }
    placement.size = QSizeF(widest, y + lineHeight);
    return placement;
}

void WordFlow::updatePolish()
{
    const QList<QQuickItem*> items = words();
    QList<QSizeF> sizes;
    for (QQuickItem* item : items)
        sizes.append(QSizeF(item->implicitWidth(), item->implicitHeight()));
    const qreal maxWidth = width() > 0 ? width() : std::numeric_limits<qreal>::infinity();
    const Placement placement = place(sizes, maxWidth, spacing_, lineSpacing_);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QRectF& frame = placement.frames.at(i);
        const qreal x = rightToLeft_ ? width() - frame.right() : frame.left();
        items.at(i)->setPosition(QPointF(x, frame.top()));
        items.at(i)->setSize(frame.size());
    }
    setImplicitWidth(placement.size.width());
    setImplicitHeight(placement.size.height());
}

void WordFlow::itemChange(ItemChange change, const ItemChangeData& data)
{
    if (change == ItemChildAddedChange) {
        connect(data.item, &QQuickItem::implicitWidthChanged, this, &QQuickItem::polish);
        connect(data.item, &QQuickItem::implicitHeightChanged, this, &QQuickItem::polish);
        polish();
    } else if (change == ItemChildRemovedChange) {
        disconnect(data.item, nullptr, this, nullptr);
        polish();
    }
    QQuickItem::itemChange(change, data);
}

void WordFlow::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.width() != oldGeometry.width())
        polish();
}

QList<QQuickItem*> WordFlow::words() const
{
    // A Repeater among the children has no size of its own and takes no place in the flow.
    QList<QQuickItem*> items;
    for (QQuickItem* child : childItems()) {
        if (child->isVisible() && (child->implicitWidth() > 0 || child->implicitHeight() > 0))
            items.append(child);
    }
    return items;
}
