#pragma once

#include <QColor>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

// The one place that draws what plain rectangles cannot: a rounded rectangle with continuous
// (squircle) corners, an optional hairline stroke centred on the edge and clipped to the shape
// (so only its inner half shows), solid or dashed, a soft blurred shadow and a radial glow clipped to the shape.
// A ring (`strokeClipped` off) shows its stroke's whole width, half of it outside the shape.
// The item reaches `margin` beyond the shape on every side to leave room for the shadow and such a
// stroke; users anchor it with negative margins of that size.
class QMShape : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor fillColor MEMBER fillColor_ NOTIFY shapeChanged)
    Q_PROPERTY(QColor strokeColor MEMBER strokeColor_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal strokeWidth MEMBER strokeWidth_ NOTIFY shapeChanged)
    Q_PROPERTY(bool strokeClipped MEMBER strokeClipped_ NOTIFY shapeChanged)
    // Lengths in points of the stroke's dashes and gaps, alternating; empty for a solid stroke.
    Q_PROPERTY(QList<qreal> dashPattern MEMBER dashPattern_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal radius MEMBER radius_ NOTIFY shapeChanged)
    Q_PROPERTY(QColor shadowColor MEMBER shadowColor_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal shadowBlur MEMBER shadowBlur_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal shadowOffsetY MEMBER shadowOffsetY_ NOTIFY shapeChanged)
    Q_PROPERTY(QColor glowColor MEMBER glowColor_ NOTIFY shapeChanged)
    Q_PROPERTY(QPointF glowCenter MEMBER glowCenter_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal glowRadius MEMBER glowRadius_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal margin READ margin NOTIFY shapeChanged)

public:
    explicit QMShape(QQuickItem* parent = nullptr);

    qreal margin() const;
    void paint(QPainter* painter) override;

signals:
    void shapeChanged();

private:
    void paintShadow(QPainter* painter, const QPainterPath& shape);
    void paintStroke(QPainter* painter, const QPainterPath& shape);

    QColor fillColor_ = Qt::transparent;
    QColor strokeColor_ = Qt::transparent;
    qreal strokeWidth_ = 1;
    bool strokeClipped_ = true;
    QList<qreal> dashPattern_;
    qreal radius_ = 0;
    QColor shadowColor_ = Qt::transparent;
    qreal shadowBlur_ = 0;
    qreal shadowOffsetY_ = 0;
    QColor glowColor_ = Qt::transparent;
    QPointF glowCenter_;
    qreal glowRadius_ = 0;
};
