#include "Xdg/XdgAppIdentity.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {

struct DesktopEntry {
    QString name;
    QString icon;
    QString windowClass;
    bool hidden = false;
};

// Undoes the escapes a desktop entry's string values may hold (\s \n \t \r \\).
QString unescaped(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\') || i + 1 == value.size()) {
            result.append(value.at(i));
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result.append(QLatin1Char(' '));
            break;
        case 'n':
            result.append(QLatin1Char('\n'));
            break;
        case 't':
            result.append(QLatin1Char('\t'));
            break;
        case 'r':
            result.append(QLatin1Char('\r'));
            break;
        default:
            result.append(next);
        }
    }
    return result;
}

// The keys of the "[Desktop Entry]" group this needs; the name in the user's language when the
// entry has it ("Name[fa_IR]", else "Name[fa]", else "Name").
std::optional<DesktopEntry> readEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString locale = QLocale().name();
    const QStringList nameKeys{QStringLiteral("Name[%1]").arg(locale),
                               QStringLiteral("Name[%1]").arg(locale.section(QLatin1Char('_'), 0, 0)),
                               QStringLiteral("Name")};
    QHash<QString, QString> values;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || line.startsWith(QLatin1Char('#')) || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, unescaped(line.mid(equals + 1).trimmed()));
    }
    if (values.value(QStringLiteral("Type"), QStringLiteral("Application")) != QLatin1String("Application"))
        return std::nullopt;
    DesktopEntry entry;
    for (const QString& key : nameKeys) {
        if (!values.value(key).isEmpty()) {
            entry.name = values.value(key);
            break;
        }
    }
    entry.icon = values.value(QStringLiteral("Icon"));
    entry.windowClass = values.value(QStringLiteral("StartupWMClass"));
    entry.hidden = values.value(QStringLiteral("Hidden")) == QLatin1String("true");
    return entry;
}

// An icon named by path, by name in the icon theme, or by name in the old "pixmaps" folders.
QIcon resolveIcon(const QString& icon)
{
    if (icon.isEmpty())
        return {};
    if (QDir::isAbsolutePath(icon))
        return QFileInfo::exists(icon) ? QIcon(icon) : QIcon();
    QString name = icon;
    for (const char* extension : {".png", ".svg", ".xpm"})
        if (name.endsWith(QLatin1String(extension)))
            name.chop(4);
    if (QIcon themed = QIcon::fromTheme(name); !themed.isNull())
        return themed;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        for (const char* extension : {".png", ".svg", ".xpm"}) {
            const QString path = folder + QStringLiteral("/pixmaps/") + name + QLatin1String(extension);
            if (QFileInfo::exists(path))
                return QIcon(path);
        }
    }
    return {};
}

}

QStringList XdgAppIdentity::standardFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

XdgAppIdentity::XdgAppIdentity(QStringList folders) : folders_(std::move(folders)) {}

QList<QDateTime> XdgAppIdentity::folderTimes() const
{
    QList<QDateTime> times;
    for (const QString& folder : folders_)
        times.append(QFileInfo(folder).lastModified());
    return times;
}

bool XdgAppIdentity::indexIsCurrent() const
{
    const QList<QDateTime> times = folderTimes();
    if (indexedAt_ != times)
        return false;
    // A folder's time has the file system's coarse clock: an entry added within the same tick as an
    // earlier change leaves it as it was. A folder changed that close to the reading is read again.
    return std::ranges::all_of(
        times, [&](const QDateTime& time) { return !time.isValid() || time.addSecs(1) < indexedWhen_; });
}

void XdgAppIdentity::index() const
{
    byId_.clear();
    byLowerId_.clear();
    byWindowClass_.clear();
    indexedAt_ = folderTimes();
    indexedWhen_ = QDateTime::currentDateTimeUtc();
    // The first folder that holds a file id wins, as the XDG menu rules say.
    for (const QString& folder : folders_) {
        const QDir root(folder);
        QDirIterator files(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            // A file in a subfolder has the folder names in its id: kde/foo.desktop is "kde-foo".
            QString id = root.relativeFilePath(path).replace(QLatin1Char('/'), QLatin1Char('-'));
            id.chop(8);
            if (byId_.contains(id))
                continue;
            const auto entry = readEntry(path);
            if (!entry || entry->hidden) {
                byId_.insert(id, {});
                continue;
            }
            const Indexed indexed{path, entry->name, entry->icon};
            byId_.insert(id, indexed);
            byLowerId_.insert(id.toLower(), indexed);
            if (!entry->windowClass.isEmpty())
                byWindowClass_.insert(entry->windowClass.toLower(), indexed);
        }
    }
}

std::optional<XdgAppIdentity::Indexed> XdgAppIdentity::find(const QString& desktopId) const
{
    if (!indexIsCurrent())
        index();
    if (const auto exact = byId_.constFind(desktopId); exact != byId_.constEnd())
        return exact->path.isEmpty() ? std::nullopt : std::optional(*exact);
    for (const auto* table : {&byLowerId_, &byWindowClass_}) {
        if (const auto match = table->constFind(desktopId.toLower()); match != table->constEnd())
            return *match;
    }
    return std::nullopt;
}

std::optional<AppEntry> XdgAppIdentity::entry(const QString& desktopId) const
{
    const auto found = find(desktopId);
    if (!found)
        return std::nullopt;
    return AppEntry{found->name, resolveIcon(found->icon)};
}
