#include "DesktopPermissions.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// The switch is asked once a second while the first-run window shows: a bus that does not
// answer must not hold the window for long.
constexpr int busTimeoutMs = 500;

// Calls "Get" or "Set" on the accessibility bus's IsEnabled status property.
QDBusMessage callEnabledProperty(const QString& method, const QVariantList& value)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"), method);
    call.setArguments(QVariantList{QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")} + value);
    return bus.call(call, QDBus::Block, busTimeoutMs);
}

DesktopPermissions::Switch assistiveTechnologies()
{
    const QDBusReply<QDBusVariant> reply = callEnabledProperty(QStringLiteral("Get"), {});
    if (!reply.isValid())
        return DesktopPermissions::Switch::absent;
    return reply.value().variant().toBool() ? DesktopPermissions::Switch::on : DesktopPermissions::Switch::off;
}

// An X server's extensions do not change while it runs, so the answer is kept.
bool xTestPresent()
{
    static const bool present = [] {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        bool found = false;
        if (!xcb_connection_has_error(connection)) {
            const char name[] = "XTEST";
            xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
                connection, xcb_query_extension(connection, std::strlen(name), name), nullptr);
            found = reply && reply->present;
            std::free(reply);
        }
        xcb_disconnect(connection);
        return found;
    }();
    return present;
}

class SystemPermissions final : public DesktopPermissions {
public:
    Microphone::Permission microphone() const override { return Microphone::permission(); }
    bool canType() const override { return xTestPresent(); }
    Switch accessibility() const override { return assistiveTechnologies(); }
    void promptAccessibility() override
    {
        callEnabledProperty(QStringLiteral("Set"), {QVariant::fromValue(QDBusVariant(true))});
    }
};

DesktopPermissions* standIn = nullptr;

}

DesktopPermissions& DesktopPermissions::system()
{
    static SystemPermissions permissions;
    return standIn ? *standIn : permissions;
}

void DesktopPermissions::replaceSystem(DesktopPermissions* permissions)
{
    standIn = permissions;
}
