#include "DesktopPermissions.h"

#include "DefaultSoundInput.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// A bus that has not answered within this has no switch; it is shorter than the first-run window's
// one-second poll, so a hung bus reads as absent by the next poll.
constexpr int busTimeoutMs = 500;

// A "Get" or "Set" of the accessibility bus's IsEnabled status property.
QDBusMessage enabledProperty(const QString& method, const QVariantList& value)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"), method);
    call.setArguments(QVariantList{QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")} + value);
    return call;
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
    SystemPermissions() = default;
    SystemPermissions(const SystemPermissions&) = delete;
    SystemPermissions& operator=(const SystemPermissions&) = delete;
    // An answer still out must not reach a reader that is gone.
    ~SystemPermissions() override { delete question_; }

    // The sound server's default input, which follows the server coming and going; not yet
    // determined until the server first answers.
    Microphone::Permission microphone() const override
    {
        const auto description = DefaultSoundInput::desktop().description();
        if (!description)
            return Microphone::Permission::notDetermined;
        return description->isEmpty() ? Microphone::Permission::restricted : Microphone::Permission::authorized;
    }
    bool canType() const override { return xTestPresent(); }
    Switch accessibility() const override
    {
        ask();
        return switch_;
    }
    void promptAccessibility() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return;
        bus.send(enabledProperty(QStringLiteral("Set"), {QVariant::fromValue(QDBusVariant(true))}));
        // The bus delivers in order, so only answers to questions asked before this are out of date.
        ++prompts_;
        if (switch_ == Switch::off)
            switch_ = Switch::on;
    }

private:
    // One question at a time: a bus that hangs gets no pile of them.
    void ask() const
    {
        if (question_)
            return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            switch_ = Switch::absent;
            return;
        }
        question_ = new QDBusPendingCallWatcher(bus.asyncCall(enabledProperty(QStringLiteral("Get"), {}), busTimeoutMs),
                                                QCoreApplication::instance());
        QObject::connect(question_, &QDBusPendingCallWatcher::finished,
                         [this, promptsBefore = prompts_](QDBusPendingCallWatcher* watcher) {
                             watcher->deleteLater();
                             question_ = nullptr;
                             if (promptsBefore != prompts_)
                                 return;
                             const QDBusPendingReply<QDBusVariant> reply = *watcher;
                             switch_ = !reply.isValid()                   ? Switch::absent
                                       : reply.value().variant().toBool() ? Switch::on
                                                                          : Switch::off;
                         });
    }

    mutable Switch switch_ = Switch::unknown;
    mutable QPointer<QDBusPendingCallWatcher> question_;
    int prompts_ = 0;
};

DesktopPermissions* standIn = nullptr;

}

DesktopPermissions& DesktopPermissions::system()
{
    static SystemPermissions permissions;
    return standIn ? *standIn : permissions;
}

std::unique_ptr<DesktopPermissions> DesktopPermissions::fromDesktop()
{
    return std::make_unique<SystemPermissions>();
}

void DesktopPermissions::replaceSystem(DesktopPermissions* permissions)
{
    standIn = permissions;
}
