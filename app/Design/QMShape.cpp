#include "QMShape.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

// A continuous corner starts further along the edge than a circular one and bends more gently.
// The curve reaches 1.28 × radius along each edge; its control points sit 0.277 of that from the
// corner, which puts the curve's middle where a circle of the same radius would have it.
QPainterPath continuousRoundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    const qreal d = std::min({radius * 1.28, r.width() / 2, r.height() / 2});
    if (d <= 0) {
        path.addRect(r);
        return path;
    }
    const qreal c = d * 0.277;
    path.moveTo(r.left() + d, r.top());
    path.lineTo(r.right() - d, r.top());
    path.cubicTo(r.right() - c, r.top(), r.right(), r.top() + c, r.right(), r.top() + d);
    path.lineTo(r.right(), r.bottom() - d);
    path.cubicTo(r.right(), r.bottom() - c, r.right() - c, r.bottom(), r.right() - d, r.bottom());
    path.lineTo(r.left() + d, r.bottom());
    path.cubicTo(r.left() + c, r.bottom(), r.left(), r.bottom() - c, r.left(), r.bottom() - d);
    path.lineTo(r.left(), r.top() + d);
    path.cubicTo(r.left(), r.top() + c, r.left() + c, r.top(), r.left() + d, r.top());
    path.closeSubpath();
    return path;
}

// One box-blur pass over the alpha channel, along rows (horizontal) or columns.
void boxBlurPass(QImage& image, int radius, bool horizontal)
{
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<int> source(length);
    for (int line = 0; line < lines; ++line) {
        auto alpha = [&](int i) -> uchar& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return image.scanLine(y)[x];
        };
        for (int i = 0; i < length; ++i)
            source[i] = alpha(i);
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? source[i] : 0;
        const int window = 2 * radius + 1;
        for (int i = 0; i < length; ++i) {
            alpha(i) = uchar(sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0)
                sum -= source[leaving];
            if (entering < length)
                sum += source[entering];
        }
    }
}

}  // namespace

QMShape::QMShape(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &QMShape::shapeChanged, this, [this] { update(); });
}

qreal QMShape::margin() const
{
    const qreal shadow =
        shadowColor_.alpha() == 0 || shadowBlur_ <= 0 ? 0 : std::ceil(shadowBlur_ * 1.5 + std::abs(shadowOffsetY_));
    const qreal outerStroke = strokeClipped_ || strokeColor_.alpha() == 0 ? 0 : std::ceil(strokeWidth_ / 2);
    return std::max(shadow, outerStroke);
}

void QMShape::paint(QPainter* painter)
{
    const qreal m = margin();
    const QRectF bounds = boundingRect().adjusted(m, m, -m, -m);
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    const QPainterPath shape = continuousRoundedRect(bounds, radius_);
    painter->setRenderHint(QPainter::Antialiasing);

    if (shadowColor_.alpha() > 0 && shadowBlur_ > 0)
        paintShadow(painter, shape);
    if (fillColor_.alpha() > 0)
        painter->fillPath(shape, fillColor_);

    painter->save();
    painter->setClipPath(shape);
    if (glowColor_.alpha() > 0 && glowRadius_ > 0) {
        const QPointF centre = bounds.topLeft() + glowCenter_;
        QRadialGradient glow(centre, glowRadius_);
        glow.setColorAt(0, glowColor_);
        QColor clear = glowColor_;
        clear.setAlpha(0);
        glow.setColorAt(1, clear);
        painter->setPen(Qt::NoPen);
        painter->setBrush(glow);
        painter->drawEllipse(centre, glowRadius_, glowRadius_);
    }
    if (strokeClipped_)
        paintStroke(painter, shape);
    painter->restore();
    if (!strokeClipped_)
        paintStroke(painter, shape);
}

void QMShape::paintStroke(QPainter* painter, const QPainterPath& shape)
{
    if (strokeColor_.alpha() == 0 || strokeWidth_ <= 0)
        return;
    QPen pen(strokeColor_, strokeWidth_);
    if (!dashPattern_.isEmpty()) {
        // A pen measures dashes in multiples of its width, and square caps would lengthen them.
        QList<qreal> dashes;
        for (const qreal length : dashPattern_)
            dashes.append(length / strokeWidth_);
        pen.setDashPattern(dashes);
        pen.setCapStyle(Qt::FlatCap);
    }
    painter->strokePath(shape, pen);
}

// The shape's silhouette, moved down by the offset and blurred: three box passes approximate a
// Gaussian whose spread matches the blur radius.
void QMShape::paintShadow(QPainter* painter, const QPainterPath& shape)
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (boundingRect().size() * ratio).toSize();
    if (pixels.isEmpty())
        return;
    QImage silhouette(pixels, QImage::Format_Alpha8);
    silhouette.fill(0);
    {
        QPainter p(&silhouette);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(ratio, ratio);
        p.translate(0, shadowOffsetY_);
        p.fillPath(shape, Qt::black);
    }
    const qreal sigma = shadowBlur_ / 2 * ratio;
    const int passRadius = std::max(1, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(silhouette, passRadius, true);
        boxBlurPass(silhouette, passRadius, false);
    }
    QImage shadow(pixels, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.drawImage(0, 0, silhouette);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), shadowColor_);
    }
    shadow.setDevicePixelRatio(ratio);
    painter->drawImage(QPointF(0, 0), shadow);
}
