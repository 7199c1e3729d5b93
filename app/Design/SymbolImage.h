#pragma once
// A symbol drawing of icons/ (one-colour SVG drawn in the palette's ink) painted in any colour,
// so a row can tint its symbol with its state.

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class SymbolImage : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name MEMBER name_ NOTIFY symbolChanged)
    Q_PROPERTY(QColor color MEMBER color_ NOTIFY symbolChanged)

public:
    explicit SymbolImage(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

signals:
    void symbolChanged();

private:
    QString name_;
    QColor color_;
};
