#include "Main/DisplayText.h"

#include "AppInfo.h"
#include "Formatting/DictationStyle.h"
#include "HotkeyMonitor.h"

QString DisplayText::keyName(const QString& keyRaw)
{
    const auto key = HotkeyMonitor::fromRawValue(keyRaw);
    return key ? HotkeyMonitor::displayName(*key) : QString();
}

QString DisplayText::styleLabel(const QString& styleRaw)
{
    const auto style = DictationStyles::fromRawValue(styleRaw);
    if (!style)
        return {};
    switch (*style) {
    case DictationStyle::asSpoken:
        return QStringLiteral("As spoken");
    case DictationStyle::clean:
        return QStringLiteral("Clean");
    case DictationStyle::formal:
        return QStringLiteral("Formal");
    }
    return {};
}

QString DisplayText::retentionLabel(int days)
{
    return days == 365 ? QStringLiteral("1 year") : QStringLiteral("%1 days").arg(days);
}

QString DisplayText::version()
{
    return AppInfo::versionText();
}

QLocale DisplayText::locale()
{
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

QString DisplayText::time(const QDateTime& moment)
{
    return locale().toString(moment.toLocalTime().time(), QLocale::ShortFormat);
}
