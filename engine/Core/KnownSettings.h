#pragma once
// The keys the user's settings file holds, each with the form of a valid value. A damaged file's
// replacement carries over only these: what the settings reader made of garbage stays out.

#include <QString>
#include <QVariant>

#include <optional>

namespace KnownSettings {
// Whether the key is one of ours and the value, as read from the file, has its form.
bool isValid(const QString& key, const QVariant& value);
// Whether the key's value is plain text the user types by hand (a server's address or token),
// to be read as typed rather than by the file's rules for lists and comments.
bool isPlainText(const QString& key);
// A Boolean as the file keeps it ("true", "false", "1", "0"); nothing for anything else.
std::optional<bool> boolean(const QVariant& value);
// A number of days, one or more; nothing for anything else.
std::optional<int> days(const QVariant& value);
}
