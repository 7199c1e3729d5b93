#pragma once
// Changes a run couldn't save to a store's file before it ended, kept beside the file as data
// ("<file>.unsaved-<run>", private to the user) for a later run, or another instance, to save in
// their order. A store taking them in claims them first, under its lock: each name of the file
// gets the version of the store's file it was read with (".into-<version>"). A write of the store
// makes another version, so a claim whose version is gone was taken in, whenever the run that
// made it ended; one whose version is still there was not, and is taken in again.

#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace KeptChanges {
// Far more than the longest backlog a run keeps: a larger file is refused unread.
inline constexpr qint64 largestFile = qint64(64) << 20;

// This run's file for the store's file at `path`.
QString fileFor(const QString& path);
// Writes the changes whole (see writeFileAtomically), after any this run kept before; the
// failure, else nothing.
std::optional<QString> keep(const QString& path, const QJsonArray& changes);

// One kept file: its changes and every name it has (a second hard link is the same file).
struct Kept {
    QJsonArray changes;
    QStringList names;
};
// What the files kept beside a store's file hold, oldest first.
struct Found {
    std::vector<Kept> files;  // read, up to the first that can't be read now
    QStringList done;  // names of files the store's file holds already
    QStringList damaged;  // names of files that can't be understood or are too large
    QString aside;  // what the user should know of those; empty when there are none
    QString unreadable;  // why a file couldn't be read now: it and those after it wait

    bool anything() const { return !files.empty() || !done.isEmpty() || !damaged.isEmpty() || !unreadable.isEmpty(); }
};
// Marks, without writing a byte, that this run couldn't keep its changes to the file at `path`:
// where nothing can be written, a name may still be made.
void markLost(const QString& path);
// Whether a run marked that it lost changes to the file at `path`; the marks go.
bool takeLostMarks(const QString& path);
// Reads the files kept beside the file at `path`, leaving everything where it is. One another
// instance took in and removed meanwhile is no failure.
Found readBeside(const QString& path);
// Claims the files for the version of the store's file at `path` now, before it is written.
void claim(Found& kept, const QString& path);
// Puts the damaged files aside as "<name>.unreadable", bytes kept, so they are not read again.
void putAside(const QStringList& damaged);
// Removes every name of the files that were taken in.
void remove(const Found& kept);
}
