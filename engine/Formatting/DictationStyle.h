#pragma once
// The writing styles the formatting server can rewrite dictated text into. The raw values are
// what the server, the history file and the stored style policy use.

#include <QString>

#include <array>
#include <optional>

enum class DictationStyle {
    asSpoken,  // kept as recognised; never sent to the server
    clean,  // tidied punctuation and wording, English names in Latin letters
    formal,  // spoken forms turned into written Persian, with punctuation
};

namespace DictationStyles {
inline constexpr std::array allCases{DictationStyle::asSpoken, DictationStyle::clean, DictationStyle::formal};

QString rawValue(DictationStyle style);
// Exactly "as_spoken", "clean" or "formal" (case-sensitive); anything else is no style.
std::optional<DictationStyle> fromRawValue(const QString& rawValue);
}
