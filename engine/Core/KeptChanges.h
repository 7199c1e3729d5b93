#pragma once
// Changes a run couldn't save to a store's file before it ended, kept beside the file as data
// ("<file>.unsaved-<run>", private to the user) for a later run, or another instance, to save in
// their order.

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
    QStringList damaged;  // names of files that can't be understood or are too large
    QString aside;  // what the user should know of those; empty when there are none
    QString unreadable;  // why a file couldn't be read now: it and those after it wait
};
// Marks, without writing a byte, that this run couldn't keep its changes to the file at `path`:
// where nothing can be written, a name may still be made.
void markLost(const QString& path);
// Whether a run marked that it lost changes to the file at `path`; the marks go.
bool takeLostMarks(const QString& path);
// Reads the files kept beside the file at `path`, leaving everything where it is. One another
// instance took in and removed meanwhile is no failure.
Found readBeside(const QString& path);
// Puts the damaged files aside as "<name>.unreadable", bytes kept, so they are not read again.
void putAside(const QStringList& damaged);
// Removes every name of a file that was taken in.
void remove(const Kept& kept);
}
