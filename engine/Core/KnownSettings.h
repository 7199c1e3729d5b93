#pragma once
// The keys the user's settings file holds, each with the form of a valid value. A damaged file's
// replacement carries over only these: what the settings reader made of garbage stays out.

#include <QString>
#include <QVariant>

namespace KnownSettings {
// Whether the key is one of ours and the value, as read from the file, has its form.
bool isValid(const QString& key, const QVariant& value);
}
