#include "TrayMark.h"

#include "OrbState.h"
#include "QM.h"
#include "Shell/StatusIcon.h"

#include <QPainter>
#include <QQuickWindow>

TrayMark::TrayMark(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setImplicitSize(22, 18);
}

void TrayMark::paint(QPainter* painter)
{
    const qreal pixelRatio = window() ? window()->effectiveDevicePixelRatio() : 1;
    painter->drawImage(QPointF(0, 0), StatusIcon::orb(OrbState(), QM::ink, false, pixelRatio));
}
