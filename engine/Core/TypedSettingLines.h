#pragma once
// The settings file's lines whose values the user types by hand (KnownSettings::isPlainText): a
// value is read as typed, backslashes and all, unless it is in quotes, where the file's own rules
// read it (escapes, commas); the file's writer is given the last word on neither.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

namespace TypedSettingLines {
// Each such key of the general section with its text after the first "=", blanks around it trimmed.
QHash<QString, QString> typed(const QByteArray& bytes);
// Whether the typed text is in quotes, to be read by the file's rules.
bool isQuoted(const QString& typed);
// The file with each such key's text replaced by what `form` makes of the key and its text.
QByteArray rewritten(const QByteArray& bytes, const std::function<QString(const QString&, const QString&)>& form);
}
