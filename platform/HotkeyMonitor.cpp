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
    if (debug_)
        logDecision(event, isDictationKey);
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

void HotkeyMonitor::logDecision(const RawKey& event, bool isDictationKey)
{
    // Runs before handle() acts on the event, so held_ and chord_ are the state it finds.
    const QString key = displayName(key_);
    if (isDictationKey) {
        if (event.repeat)
            return;
        if (event.press && !held_) {
            heldFor_.start();
            Log::info(QStringLiteral("key debug: %1 down (keysym 0x%2)").arg(key).arg(event.keysym, 0, 16));
        } else if (!event.press && held_) {
            Log::info(QStringLiteral("key debug: %1 up after %2 ms%3")
                          .arg(key)
                          .arg(heldFor_.elapsed())
                          .arg(chord_ ? QStringLiteral(", a chord") : QString()));
        }
        return;
    }
    if (event.repeat)
        return;
    if (Keysyms::isModifier(event.keysym)) {
        Log::info(QStringLiteral("key debug: modifier keysym 0x%1 %2")
                      .arg(event.keysym, 0, 16)
                      .arg(event.press ? QStringLiteral("down") : QStringLiteral("up")));
    } else if (event.press && event.keysym == Keysyms::escape) {
        Log::info(QStringLiteral("key debug: Escape"));
    } else if (event.press && held_ && !chord_) {
        // Which key it was is the user's business: only that the hold became a chord.
        Log::info(QStringLiteral("key debug: another key while %1 is down: a chord").arg(key));
    }
}
