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

// What `decode` makes of the store's file (an optional). Nothing when the file is missing or
// empty, and nothing, with the file kept aside as above, when it can't be decoded.
template <typename Decode>
auto readStoredFile(const QString& path, const QString& name, Decode decode) -> decltype(decode(QByteArray()))
{
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    auto decoded = decode(*bytes);
    if (!decoded)
        keepUnreadableFileAside(path, name);
    return decoded;
}
