#include "HotkeyMonitor.h"

#include "Core/Log.h"
#include "Core/Settings.h"
#include "Keysyms.h"

QString HotkeyMonitor::rawValue(Key key)
{
    switch (key) {
    case Key::fn:
        return QStringLiteral("fn");
    case Key::rightOption:
        return QStringLiteral("rightOption");
    case Key::rightCommand:
        return QStringLiteral("rightCommand");
    }
    return {};
}

std::optional<HotkeyMonitor::Key> HotkeyMonitor::fromRawValue(const QString& raw)
{
    for (Key key : allKeys) {
        if (rawValue(key) == raw)
            return key;
    }
    return std::nullopt;
}

QString HotkeyMonitor::displayName(Key key)
{
    return QStringLiteral("right ") + capLabel(key);
}

QString HotkeyMonitor::capLabel(Key key)
{
    switch (key) {
    case Key::fn:
        return QStringLiteral("Ctrl");
    case Key::rightOption:
        return QStringLiteral("Alt");
    case Key::rightCommand:
        return QStringLiteral("Super");
    }
    return {};
}

bool HotkeyMonitor::isKey(Key key, quint32 keysym)
{
    switch (key) {
    case Key::fn:
        return keysym == Keysyms::controlRight;
    case Key::rightOption:
        return keysym == Keysyms::altRight || keysym == Keysyms::level3Shift;
    case Key::rightCommand:
        return keysym == Keysyms::superRight;
    }
    return false;
}

HotkeyMonitor::HotkeyMonitor(RawInput& input, Key key, QObject* parent)
    : QObject(parent), key_(key), debug_(Environment::contains("QUILLMARSH_KEY_DEBUG"))
{
    connect(&input, &RawInput::key, this, &HotkeyMonitor::handle);
}

void HotkeyMonitor::setKey(Key key)
{
    if (key == key_)
        return;
    const bool wasHeld = held_;
    held_ = false;
    key_ = key;
    if (wasHeld && onKeyUp)
        onKeyUp(true);
}

void HotkeyMonitor::handle(const RawKey& event)
{
    const bool isDictationKey = isKey(key_, event.keysym);
    if (debug_) {
        Log::info(QStringLiteral("key %1 keycode %2 keysym 0x%3%4%5")
                      .arg(event.press ? QStringLiteral("down") : QStringLiteral("up"))
                      .arg(event.keycode)
                      .arg(event.keysym, 0, 16)
                      .arg(event.repeat ? QStringLiteral(" repeat") : QString())
                      .arg(isDictationKey ? QStringLiteral(" (dictation key)") : QString()));
    }
    if (event.repeat)
        return;
    if (isDictationKey) {
        if (event.press && !held_) {
            held_ = true;
            chord_ = false;
            if (onKeyDown)
                onKeyDown();
        } else if (!event.press && held_) {
            held_ = false;
            if (onKeyUp)
                onKeyUp(chord_);
        }
        return;
    }
    if (!event.press)
        return;
    if (event.keysym == Keysyms::escape) {
        if (onEscape)
            onEscape();
    } else if (held_) {
        chord_ = true;
    }
}
