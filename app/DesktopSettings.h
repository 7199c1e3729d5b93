#pragma once
// Opens the desktop's own sound settings for the Settings page, when installed: GNOME's or KDE's
// panel, or the PulseAudio mixer. Nothing happens on a desktop without one. (The microphone and
// accessibility panels are SettingsPanels'.)

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class DesktopSettings : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "sound". True when a panel was started.
    Q_INVOKABLE static bool open(const QString& subject);
};
