#pragma once
// The dictation key: which key the user holds to dictate, and the monitor that watches it. The
// raw values are stored in the user's settings; on X11 each is bound to a right-hand modifier that
// the X server sees. The monitor turns raw key events into key down, key up (with whether another
// key was pressed meanwhile) and Escape. "QUILLMARSH_KEY_DEBUG" logs what it decides: the dictation
// key, the modifiers, chords, Escape and how long the key was held, never which other keys the
// user typed.

#include "RawInput.h"

#include <QElapsedTimer>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class HotkeyMonitor : public QObject {
    Q_OBJECT
public:
    enum class Key { fn, rightOption, rightCommand };
    static constexpr std::array allKeys{Key::fn, Key::rightOption, Key::rightCommand};

    // "fn", "rightOption", "rightCommand".
    static QString rawValue(Key key);
    static std::optional<Key> fromRawValue(const QString& raw);
    // The key's name in sentences ("right Ctrl") and on a key cap ("Ctrl").
    static QString displayName(Key key);
    static QString capLabel(Key key);
    // Whether a key symbol is the dictation key: right Ctrl, right Alt (or AltGr), right Super.
    static bool isKey(Key key, quint32 keysym);

    HotkeyMonitor(RawInput& input, Key key, QObject* parent = nullptr);

    Key key() const { return key_; }
    // A key held while the choice changes counts as released.
    void setKey(Key key);

    std::function<void()> onKeyDown;
    // chord: another key was pressed while the dictation key was down.
    std::function<void(bool chord)> onKeyUp;
    std::function<void()> onEscape;

private:
    void handle(const RawKey& event);
    void logDecision(const RawKey& event, bool isDictationKey);

    Key key_;
    bool held_ = false;
    bool chord_ = false;
    bool debug_ = false;
    QElapsedTimer heldFor_;  // for the debug log only
};
