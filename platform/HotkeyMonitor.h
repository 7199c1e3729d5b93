#pragma once
// The dictation key: which key the user holds to dictate. The raw values are stored in the user's
// settings; on X11 each is bound to a right-hand modifier that the X server sees.

#include <QString>

#include <array>
#include <optional>

class HotkeyMonitor {
public:
    enum class Key { fn, rightOption, rightCommand };
    static constexpr std::array allKeys{Key::fn, Key::rightOption, Key::rightCommand};

    // "fn", "rightOption", "rightCommand".
    static QString rawValue(Key key);
    static std::optional<Key> fromRawValue(const QString& raw);
    // The key's name in sentences ("right Ctrl") and on a key cap ("Ctrl").
    static QString displayName(Key key);
    static QString capLabel(Key key);
};
