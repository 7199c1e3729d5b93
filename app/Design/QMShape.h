#pragma once

#include <QColor>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

// The one place that draws what plain rectangles cannot: a rounded rectangle with continuous
// (squircle) corners, an optional hairline stroke centred on the edge and clipped to the shape
// (so only its inner half shows), a soft blurred shadow and a radial glow clipped to the shape.
// The item reaches `margin` beyond the shape on every side to leave room for the shadow; users
// anchor it with negative margins of that size.
class QMShape : public QQuickPaintedItem {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QColor fillColor MEMBER m_fillColor NOTIFY shapeChanged)
  Q_PROPERTY(QColor strokeColor MEMBER m_strokeColor NOTIFY shapeChanged)
  Q_PROPERTY(qreal strokeWidth MEMBER m_strokeWidth NOTIFY shapeChanged)
  Q_PROPERTY(qreal radius MEMBER m_radius NOTIFY shapeChanged)
  Q_PROPERTY(QColor shadowColor MEMBER m_shadowColor NOTIFY shapeChanged)
  Q_PROPERTY(qreal shadowBlur MEMBER m_shadowBlur NOTIFY shapeChanged)
  Q_PROPERTY(qreal shadowOffsetY MEMBER m_shadowOffsetY NOTIFY shapeChanged)
  Q_PROPERTY(QColor glowColor MEMBER m_glowColor NOTIFY shapeChanged)
  Q_PROPERTY(QPointF glowCenter MEMBER m_glowCenter NOTIFY shapeChanged)
  Q_PROPERTY(qreal glowRadius MEMBER m_glowRadius NOTIFY shapeChanged)
  Q_PROPERTY(qreal margin READ margin NOTIFY shapeChanged)

public:
  explicit QMShape(QQuickItem* parent = nullptr);

  qreal margin() const;
  void paint(QPainter* painter) override;

signals:
  void shapeChanged();

private:
  void paintShadow(QPainter* painter, const QPainterPath& shape);

  QColor m_fillColor = Qt::transparent;
  QColor m_strokeColor = Qt::transparent;
  qreal m_strokeWidth = 1;
  qreal m_radius = 0;
  QColor m_shadowColor = Qt::transparent;
  qreal m_shadowBlur = 0;
  qreal m_shadowOffsetY = 0;
  QColor m_glowColor = Qt::transparent;
  QPointF m_glowCenter;
  qreal m_glowRadius = 0;
};
