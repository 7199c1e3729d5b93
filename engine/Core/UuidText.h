#pragma once
// Identifiers as the stored files hold them: the 36-character hyphenated form, written in upper
// case and read in either case.

#include <QString>
#include <QUuid>

#include <optional>

QString uuidText(const QUuid& id);
// Nothing for any other form (braces, missing groups, non-hexadecimal digits).
std::optional<QUuid> uuidFromText(const QString& text);
