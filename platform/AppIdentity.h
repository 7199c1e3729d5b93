#pragma once
// How an application is shown when only its desktop-file id is known: the name and the icon its
// desktop entry gives. Tests replace it with entries of their own.

#include <QIcon>
#include <QString>

#include <optional>

struct AppEntry {
    QString name;
    QIcon icon;  // null when the entry names none that can be found
};

class AppIdentity {
public:
    virtual ~AppIdentity() = default;
    // Nothing when no installed application has that id.
    virtual std::optional<AppEntry> entry(const QString& desktopId) const = 0;

    // The entry's name, else the id itself.
    QString name(const QString& desktopId) const
    {
        const auto found = entry(desktopId);
        return found && !found->name.isEmpty() ? found->name : desktopId;
    }
};
