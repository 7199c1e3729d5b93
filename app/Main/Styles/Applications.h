#pragma once
// The applications the Styles page can name: those running now (the owners of the desktop's
// application windows) and any application by its desktop-file id, with its name and icon.

#include "AppIdentity.h"
#include "DesktopWindows.h"

#include <QIcon>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class Applications : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application")

public:
    Applications(const DesktopWindows& windows, const AppIdentity& identity, QObject* parent = nullptr);

    // The running applications that may be given a style of their own, as [{id, name}], sorted by
    // name regardless of case: never this application, never one in `existing`, each id once.
    Q_INVOKABLE QVariantList offered(const QStringList& existing) const;
    // The entry's name, else the id itself.
    Q_INVOKABLE QString name(const QString& desktopId) const;
    // Null when the application has no icon that can be found.
    QIcon icon(const QString& desktopId) const;

    // This application's own id: its desktop-file name, else its name in lower case (the window
    // class the desktop sees).
    static QString ownId();

private:
    const DesktopWindows& windows_;
    const AppIdentity& identity_;
};
