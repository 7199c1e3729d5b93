#pragma once
// The pages' small symbols (envelope, lock, trash, play, ...), drawn from the application's own
// outlines in one colour at any size. An unknown name draws nothing.

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class SymbolIcon : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name MEMBER name_ NOTIFY symbolChanged)
    Q_PROPERTY(QColor color MEMBER color_ NOTIFY symbolChanged)
    // The symbol's height in points, like the size of the font it stands in for.
    Q_PROPERTY(qreal size MEMBER size_ NOTIFY symbolChanged)

public:
    explicit SymbolIcon(QQuickItem* parent = nullptr);

    void paint(QPainter* painter) override;

signals:
    void symbolChanged();

private:
    QString name_;
    QColor color_ = Qt::black;
    qreal size_ = 14;
};
