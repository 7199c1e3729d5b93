#pragma once
// Changes a run couldn't save to a store's file before it ended, kept beside the file as data
// ("<file>.unsaved-<run>", private to the user) for a later run, or another instance, to save in
// their order.

#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace KeptChanges {
// This run's file for the store's file at `path`.
QString fileFor(const QString& path);
// Writes the changes whole (see writeFileAtomically), after any this run kept before; the
// failure, else nothing.
std::optional<QString> keep(const QString& path, const QJsonArray& changes);
// The files runs kept beside the file at `path`, oldest first.
QStringList beside(const QString& path);
// The changes a kept file holds; nothing when it can't be read or understood (it is then put
// aside as "<name>.unreadable", so it is neither lost nor read again).
std::optional<QJsonArray> read(const QString& keptPath);
}
