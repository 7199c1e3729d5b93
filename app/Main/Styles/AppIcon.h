#pragma once
// An application's icon as an item, found through `applications` from its desktop-file id; the
// generic application symbol stands in when it has none.

#include "Main/Styles/Applications.h"

#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class AppIcon : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Applications* applications MEMBER applications_ NOTIFY sourceChanged)
    Q_PROPERTY(QString appId MEMBER appId_ NOTIFY sourceChanged)

public:
    explicit AppIcon(QQuickItem* parent = nullptr);

    void paint(QPainter* painter) override;

signals:
    void sourceChanged();

private:
    Applications* applications_ = nullptr;
    QString appId_;
};
