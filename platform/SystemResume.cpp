#include "SystemResume.h"

#include "Core/Log.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString logind = QStringLiteral("org.freedesktop.login1");
const QString unheard = QStringLiteral(": a wake from sleep goes unnoticed");
}

SystemResume::SystemResume(const QDBusConnection& bus, QObject* parent) : QObject(parent)
{
    if (!bus.isConnected()) {
        Log::info(QStringLiteral("no system bus") + unheard);
        return;
    }
    QDBusConnection listener = bus;
    listener.connect(logind, QStringLiteral("/org/freedesktop/login1"),
                     QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                     SLOT(sleepChanged(bool)));
    // Asked without waiting: a listener is added whether or not logind is there to speak.
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << logind;
    auto* watcher = new QDBusPendingCallWatcher(listener.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        const QDBusPendingReply<bool> reply = *answered;
        if (reply.isError())
            Log::info(QStringLiteral("logind can't be reached (") + reply.error().message() + QStringLiteral(")")
                      + unheard);
        else if (!reply.value())
            Log::info(QStringLiteral("logind isn't on the system bus") + unheard);
    });
}

void SystemResume::sleepChanged(bool sleeping)
{
    if (!sleeping)
        emit resumed();
}
