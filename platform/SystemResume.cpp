#include "SystemResume.h"

SystemResume::SystemResume(const QDBusConnection& bus, QObject* parent) : QObject(parent)
{
    if (!bus.isConnected())
        return;
    QDBusConnection listener = bus;
    listening_ = listener.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                  QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                                  this, SLOT(sleepChanged(bool)));
}

void SystemResume::sleepChanged(bool sleeping)
{
    if (!sleeping)
        emit resumed();
}
