#pragma once
// Lays its children out like words in a paragraph: each at its own size, left to right until the
// next would pass the width, then on a new line; with `rightToLeft` every line is mirrored, so
// lines start at the right edge. The first child of a line stays there however wide it is.

#include <QList>
#include <QQuickItem>
#include <QRectF>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

class WordFlow : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal spacing MEMBER spacing_ NOTIFY layoutChanged)
    Q_PROPERTY(qreal lineSpacing MEMBER lineSpacing_ NOTIFY layoutChanged)
    Q_PROPERTY(bool rightToLeft MEMBER rightToLeft_ NOTIFY layoutChanged)

public:
    struct Placement {
        QList<QRectF> frames;  // left to right, origin at the top-left
        QSizeF size;  // the widest line and the height of all lines
    };

    explicit WordFlow(QQuickItem* parent = nullptr);

    static Placement place(const QList<QSizeF>& sizes, qreal maxWidth, qreal spacing, qreal lineSpacing);

signals:
    void layoutChanged();

protected:
    void updatePolish() override;
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    QList<QQuickItem*> words() const;

    qreal spacing_ = 0;
    qreal lineSpacing_ = 0;
    bool rightToLeft_ = false;
};
