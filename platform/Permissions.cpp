#include "Permissions.h"

#include "Microphone.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

bool desktopMicrophone()
{
    return Microphone::permission() == Microphone::Permission::authorized;
}

bool desktopAccessibility()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

Permissions::Check& microphoneCheck()
{
    static Permissions::Check check;
    return check;
}

Permissions::Check& accessibilityCheck()
{
    static Permissions::Check check;
    return check;
}

}

bool Permissions::microphone()
{
    return microphoneCheck() ? microphoneCheck()() : desktopMicrophone();
}

bool Permissions::accessibility()
{
    return accessibilityCheck() ? accessibilityCheck()() : desktopAccessibility();
}

void Permissions::replace(Check microphone, Check accessibility)
{
    microphoneCheck() = std::move(microphone);
    accessibilityCheck() = std::move(accessibility);
}
