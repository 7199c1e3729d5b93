#pragma once
// Reads the EWMH properties of the X server's root window and its client windows over a
// connection of its own, so a window that vanishes mid-read is an error reply, not a crash.

#include "DesktopWindows.h"

#include <QByteArray>
#include <QHash>

#include <mutex>

struct xcb_connection_t;

class X11DesktopWindows final : public DesktopWindows {
public:
    // Connects to the display DISPLAY names; without one every answer is empty.
    X11DesktopWindows();
    ~X11DesktopWindows() override;

    X11DesktopWindows(const X11DesktopWindows&) = delete;
    X11DesktopWindows& operator=(const X11DesktopWindows&) = delete;

    bool connected() const { return connection_ != nullptr; }

    std::optional<DesktopWindow> active() const override;
    QList<DesktopWindow> applicationWindows() const override;
    DesktopWindow describe(quint64 window) const;

private:
    quint32 atom(const char* name) const;
    // The property's bytes, or nothing when the window or the property is missing.
    std::optional<QByteArray> property(quint32 window, quint32 name, quint32 type, quint32* format = nullptr) const;
    // A property holding a list of 32-bit ids (windows, atoms) of the given type.
    QList<quint32> idList(quint32 window, quint32 name, quint32 type) const;
    bool isApplicationWindow(quint32 window) const;

    mutable std::mutex mutex_;
    mutable QHash<QByteArray, quint32> atoms_;  // guarded by mutex_
    xcb_connection_t* connection_ = nullptr;
    quint32 root_ = 0;
};
