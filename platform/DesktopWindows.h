#pragma once
// The desktop's top-level windows as the window manager lists them: which one is in front, and
// which application each belongs to. Tests replace it with a fixed list.

#include <QList>
#include <QString>

#include <optional>

struct DesktopWindow {
    quint64 id = 0;
    // The application's desktop-file id ("org.gnome.TextEditor"), else its window class in lower case.
    QString desktopId;
    QString title;
    qint64 pid = 0;  // 0 when the window doesn't say
};

class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;
    // The window that has the focus; nothing without a window manager that says.
    virtual std::optional<DesktopWindow> active() const = 0;
    // The managed top-level windows of applications, in the window manager's order: the windows a
    // task bar lists, never docks, panels, desktops or windows that ask to stay off the task bar.
    virtual QList<DesktopWindow> applicationWindows() const = 0;
};
