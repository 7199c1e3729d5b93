#include "Main/Styles/AppIcon.h"

#include "Main/Styles/Applications.h"

#include <QIcon>
#include <QPainter>
#include <QQuickWindow>

AppIcon::AppIcon(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &AppIcon::sourceChanged, this, [this] { update(); });
}

void AppIcon::paint(QPainter* painter)
{
    QIcon shown = applications_ && !appId_.isEmpty() ? applications_->icon(appId_) : QIcon();
    if (shown.isNull())
        shown = QIcon(QStringLiteral(":/qt/qml/Quillmarsh/Design/icons/app.svg"));
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QRectF bounds = boundingRect();
    const QPixmap pixmap = shown.pixmap(bounds.size().toSize(), ratio);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(bounds, pixmap, QRectF(pixmap.rect()));
}
