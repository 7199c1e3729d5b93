#pragma once
// The Settings page's way to the desktop's own sound settings: the microphone's panel of
// SettingsPanels, so the page and the first-run window open the same one. Nothing happens on a
// desktop without a settings tool.

#include <QObject>
#include <QtQml/qqmlregistration.h>

class DesktopSettings : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE static void openSound();
};
