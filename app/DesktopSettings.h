#pragma once
// Opens the desktop's own settings panel for a subject, when one is installed: GNOME's or KDE's,
// or the PulseAudio mixer for sound. Nothing happens on a desktop without one.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class DesktopSettings : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "microphone", "accessibility" or "sound". True when a panel was started.
    Q_INVOKABLE static bool open(const QString& subject);
};
