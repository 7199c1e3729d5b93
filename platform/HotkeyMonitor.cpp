#include "HotkeyMonitor.h"

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
