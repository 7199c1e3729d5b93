#include "StatusIcon.h"

#include "OrbState.h"
#include "QM.h"

#include <QPainter>

#include <algorithm>

QImage StatusIcon::orb(const OrbState& state, std::optional<QColor> color, bool isTemplate, qreal pixelRatio)
{
    constexpr QSizeF size(22, 18);
    QImage image((size * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);

    // Panels come dark or light; a mid grey with full opacity reads on both.
    const QColor ink = isTemplate ? QColor(128, 130, 138) : color.value_or(QM::ink);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(state.mode() == OrbState::Error && !isTemplate ? QM::danger : ink);

    const QPointF centre(size.width() / 2, size.height() / 2);
    const double level = std::clamp(state.shownLevel(), 0.0, 1.0);
    const double radius = 4.5 * (1 + 0.2 * level);
    painter.drawEllipse(centre, radius, radius);
    // The level bars either side grow with the voice; at rest they are short stubs.
    const double barHeight = 4 + 8 * level;
    for (const double x : {3.0, size.width() - 5.0})
        painter.drawRoundedRect(QRectF(x, centre.y() - barHeight / 2, 2, barHeight), 1, 1);
    return image;
}
