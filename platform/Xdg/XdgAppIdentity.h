#pragma once
// Applications' names and icons from the desktop entries in the XDG application folders. A window
// names its application by desktop-file id or, for toolkits that set neither id property, by its
// window class in lower case, so an id is matched against file ids exactly, then regardless of
// case, then against the entries' StartupWMClass.

#include "AppIdentity.h"

#include <QHash>
#include <QStringList>

#include <mutex>

class XdgAppIdentity final : public AppIdentity {
public:
    // The user's folder first ($XDG_DATA_HOME/applications), then those of $XDG_DATA_DIRS.
    static QStringList standardFolders();

    explicit XdgAppIdentity(QStringList folders = standardFolders());

    std::optional<AppEntry> entry(const QString& desktopId) const override;

private:
    struct Indexed {
        QString path;
        QString name;
        QString icon;
    };
    // Read once, on first use: installing an application while this runs is seen after a restart.
    void index() const;
    std::optional<Indexed> find(const QString& desktopId) const;

    QStringList folders_;
    mutable std::once_flag indexed_;
    mutable QHash<QString, Indexed> byId_;
    mutable QHash<QString, Indexed> byLowerId_;
    mutable QHash<QString, Indexed> byWindowClass_;
};
