#pragma once
// Applications' names and icons from the desktop entries in the XDG application folders. A window
// names its application by desktop-file id or, for toolkits that set neither id property, by its
// window class in lower case, so an id is matched against file ids exactly, then regardless of
// case, then against the entries' StartupWMClass.

#include "AppIdentity.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>

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
    // Read on first use and again whenever a folder has gained or lost an entry since, so an
    // application installed while this runs is named too.
    void index() const;
    QList<QDateTime> folderTimes() const;
    bool indexIsCurrent() const;
    std::optional<Indexed> find(const QString& desktopId) const;

    QStringList folders_;
    mutable std::optional<QList<QDateTime>> indexedAt_;
    mutable QDateTime indexedWhen_;
    mutable QHash<QString, Indexed> byId_;
    mutable QHash<QString, Indexed> byLowerId_;
    mutable QHash<QString, Indexed> byWindowClass_;
};
