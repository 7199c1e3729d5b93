#pragma once
// The default microphone's name while a page shows it, as the sound server names its default input:
// it follows devices plugged in or out and another default chosen.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class DefaultMicrophone : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // "no microphone" when there is none.
    Q_PROPERTY(QString name READ name NOTIFY nameChanged)

public:
    explicit DefaultMicrophone(QObject* parent = nullptr);

    QString name() const { return name_; }

signals:
    void nameChanged();

private:
    QString name_;
};
