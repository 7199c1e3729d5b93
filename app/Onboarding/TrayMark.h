#pragma once
// The tray's mark at rest, as the tray shows it, in ink: the done step's picture of the tray.

#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class TrayMark : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit TrayMark(QQuickItem* parent = nullptr);

    void paint(QPainter* painter) override;
};
