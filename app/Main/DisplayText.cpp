#include "Main/DisplayText.h"

#include "Formatting/DictationStyle.h"
#include "HotkeyMonitor.h"
#include "Shell/AppInfo.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace {

// One piece of a date pattern: a field ("dddd", "MMM", "yyyy") or the literal text between fields,
// quotes and all.
struct PatternPiece {
    QString text;
    bool field = false;
};

QList<PatternPiece> piecesOf(const QString& pattern)
{
    QList<PatternPiece> pieces;
    const auto addLiteral = [&](QStringView text) {
        if (pieces.isEmpty() || pieces.last().field)
            pieces.append({QString(), false});
        pieces.last().text += text;
    };
    for (qsizetype at = 0; at < pattern.size();) {
        const QChar letter = pattern.at(at);
        qsizetype end = at + 1;
        if (letter == u'd' || letter == u'M' || letter == u'y') {
            while (end < pattern.size() && pattern.at(end) == letter)
                ++end;
            pieces.append({pattern.mid(at, end - at), true});
        } else {
            if (letter == u'\'') {
                // Quoted text runs to the next lone quote; two quotes stand for one.
                while (end < pattern.size()) {
                    if (pattern.at(end) == u'\'' && (end + 1 >= pattern.size() || pattern.at(end + 1) != u'\''))
                        break;
                    end += pattern.at(end) == u'\'' ? 2 : 1;
                }
                end = std::min(end + 1, pattern.size());
            }
            addLiteral(QStringView(pattern).mid(at, end - at));
        }
        at = end;
    }
    return pieces;
}

// The locale's long date without its year: the year goes with the text that joins it to the
// fields before it ("d MMMM yyyy 'г'." loses " yyyy 'г'."), or after it when it comes first
// ("yyyy年M月d日" loses "yyyy年").
QList<PatternPiece> withoutYear(QList<PatternPiece> pieces)
{
    const auto isYear = [](const PatternPiece& piece) { return piece.field && piece.text.startsWith(u'y'); };
    for (qsizetype at = 0; at < pieces.size();) {
        if (!isYear(pieces.at(at))) {
            ++at;
            continue;
        }
        const auto field = [](const PatternPiece& piece) { return piece.field; };
        const bool fieldBefore = std::any_of(pieces.begin(), pieces.begin() + at, field);
        const bool fieldAfter = std::any_of(pieces.begin() + at + 1, pieces.end(), field);
        qsizetype first = at;
        qsizetype last = at;
        if (fieldBefore && at > 0 && !pieces.at(at - 1).field)
            first = at - 1;
        if ((!fieldBefore || !fieldAfter) && at + 1 < pieces.size() && !pieces.at(at + 1).field)
            last = at + 1;
        pieces.remove(first, last - first + 1);
        at = first;
    }
    return pieces;
}

}  // namespace

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

QCalendar DisplayText::calendar()
{
    return locale().language() == QLocale::Persian ? QCalendar(QCalendar::System::Jalali) : QCalendar();
}

QString DisplayText::duration(double seconds)
{
    QLocale shown = locale();
    shown.setNumberOptions(QLocale::OmitGroupSeparator);
    const long long whole = std::llround(std::max(0.0, seconds));
    return shown.toString(whole / 60) + u':' + shown.toString(whole % 60).rightJustified(2, shown.zeroDigit().front());
}

QString DisplayText::count(qint64 value, const QLocale& shown)
{
    QString text = shown.toString(value);
    if (shown.language() == QLocale::Persian)
        text.replace(shown.groupSeparator(), QStringLiteral("\u066c"));
    return text;
}

QString DisplayText::separator()
{
    return locale().zeroDigit() == QLatin1String("0") ? QStringLiteral("\u00b7") : QStringLiteral("\u2013");
}

QString DisplayText::time(const QDateTime& moment)
{
    return locale().toString(moment.toLocalTime().time(), QLocale::ShortFormat);
}

QString DisplayText::day(const QDate& date, DayForm form)
{
    const QLocale shown = locale();
    QString pattern;
    for (PatternPiece piece : withoutYear(piecesOf(shown.dateFormat(QLocale::LongFormat)))) {
        if (piece.field && piece.text == u"MMMM" && form != DayForm::full)
            piece.text = QStringLiteral("MMM");
        if (piece.field && piece.text == u"dddd" && form == DayForm::abbreviated)
            piece.text = QStringLiteral("ddd");
        pattern += piece.text;
    }
    return shown.toString(date, pattern, calendar());
}
