#include "X11/X11DesktopWindows.h"

#include "X11/XcbDisplay.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr quint32 anyPropertyType = XCB_GET_PROPERTY_TYPE_ANY;
constexpr quint32 maxPropertyWords = 1 << 16;
}

X11DesktopWindows::X11DesktopWindows()
{
    if (const std::optional<XcbDisplay> display = connectToDisplay()) {
        connection_ = display->connection;
        root_ = display->root;
    }
}

X11DesktopWindows::~X11DesktopWindows()
{
    if (connection_)
        xcb_disconnect(connection_);
}

quint32 X11DesktopWindows::atom(const char* name) const
{
    // Atoms live as long as the server: one round trip per name, not one per question.
    if (const auto known = atoms_.constFind(name); known != atoms_.constEnd())
        return *known;
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const quint32 value = reply->atom;
    std::free(reply);
    atoms_.insert(name, value);
    return value;
}

std::optional<QByteArray> X11DesktopWindows::property(quint32 window, quint32 name, quint32 type, quint32* format) const
{
    if (name == XCB_ATOM_NONE)
        return std::nullopt;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection_, 0, window, name, type, 0, maxPropertyWords);
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, &error);
    std::free(error);
    if (!reply)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    if (reply->type != XCB_ATOM_NONE) {
        bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply) * (reply->format / 8));
        if (format)
            *format = reply->format;
    }
    std::free(reply);
    return bytes;
}

QList<quint32> X11DesktopWindows::windowList(quint32 name) const
{
    quint32 format = 0;
    const auto bytes = property(root_, name, XCB_ATOM_WINDOW, &format);
    QList<quint32> windows;
    if (!bytes || format != 32)
        return windows;
    for (qsizetype offset = 0; offset + 4 <= bytes->size(); offset += 4) {
        quint32 window = 0;
        std::memcpy(&window, bytes->constData() + offset, 4);
        if (window != XCB_WINDOW_NONE)
            windows.append(window);
    }
    return windows;
}

DesktopWindow X11DesktopWindows::describe(quint64 id) const
{
    DesktopWindow result;
    result.id = id;
    if (!connection_)
        return result;
    const std::lock_guard lock(mutex_);
    const auto window = static_cast<quint32>(id);
    const quint32 utf8 = atom("UTF8_STRING");
    // GTK and KDE name the desktop file; other toolkits leave only the window class.
    for (const char* name : {"_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE"}) {
        if (const auto value = property(window, atom(name), anyPropertyType); value && !value->isEmpty()) {
            result.desktopId = QString::fromUtf8(*value).trimmed();
            if (result.desktopId.endsWith(QLatin1String(".desktop")))
                result.desktopId.chop(8);
            break;
        }
    }
    if (result.desktopId.isEmpty()) {
        // WM_CLASS holds the instance and the class, each ending in a zero byte.
        if (const auto value = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING)) {
            const QList<QByteArray> parts = value->split('\0');
            if (parts.size() >= 2)
                result.desktopId = QString::fromUtf8(parts.at(1)).toLower();
        }
    }
    if (const auto title = property(window, atom("_NET_WM_NAME"), utf8))
        result.title = QString::fromUtf8(*title);
    else if (const auto legacy = property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING))
        result.title = QString::fromLatin1(*legacy);
    quint32 format = 0;
    if (const auto pid = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, &format);
        pid && format == 32 && pid->size() >= 4) {
        quint32 value = 0;
        std::memcpy(&value, pid->constData(), 4);
        result.pid = value;
    }
    return result;
}

std::optional<DesktopWindow> X11DesktopWindows::active() const
{
    if (!connection_)
        return std::nullopt;
    QList<quint32> windows;
    {
        const std::lock_guard lock(mutex_);
        windows = windowList(atom("_NET_ACTIVE_WINDOW"));
    }
    if (windows.isEmpty())
        return std::nullopt;
    return describe(windows.first());
}

QList<DesktopWindow> X11DesktopWindows::all() const
{
    QList<DesktopWindow> result;
    if (!connection_)
        return result;
    QList<quint32> windows;
    {
        const std::lock_guard lock(mutex_);
        windows = windowList(atom("_NET_CLIENT_LIST"));
    }
    for (quint32 window : windows)
        result.append(describe(window));
    return result;
}
