#pragma once
// What the sidebar's account row shows of a signed-in account.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class AccountBadge : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The first character (as the reader sees it) of the display name, else of the e-mail, else
    // "?", upper-cased where the script has cases.
    Q_INVOKABLE static QString letter(const QString& displayName, const QString& email);
    // The display name, else "Account".
    Q_INVOKABLE static QString name(const QString& displayName);
};
