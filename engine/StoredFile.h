#pragma once
// Reading a store's file at start-up, and keeping a file that could not be decoded out of the
// way so the next save does not destroy what the user had.

#include <QByteArray>
#include <QString>

#include <optional>

// The whole file, or nothing when it is missing or can't be read.
std::optional<QByteArray> readWholeFile(const QString& path);

// Moves the file to "<name>.unreadable.json" in its folder (replacing an older one) and logs
// "<name> file unreadable; kept as <name>.unreadable.json".
void keepUnreadableFileAside(const QString& path, const QString& name);
