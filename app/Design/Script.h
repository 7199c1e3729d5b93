#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Decides whether a piece of user text is Persian, so that views can pick its font, alignment and
// direction. Available to QML as the singleton `Script`.
class Script : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // Persian when the text has letters and at most twice as many letters as Arabic-script
    // characters (Arabic block and Presentation Forms-A; digits and marks included).
    Q_INVOKABLE static bool isPersian(const QString& text);
};
