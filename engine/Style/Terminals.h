#pragma once
// Terminal emulators by their desktop-file id or window class: they paste with Control-Shift-V
// (Control-V types a control character there), expose their text read-only, and count as code.

#include <QSet>
#include <QString>

#include <optional>

namespace Terminals {
const QSet<QString>& ids();
bool isTerminal(const std::optional<QString>& appID);
}
