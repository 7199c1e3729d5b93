#include "History/UsageStats.h"

#include "Core/AppFolders.h"
#include "Core/Settings.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Beyond this a count can't be held as a 64-bit integer.
constexpr double integerLimit = 9.2e18;
// Above this many days the counts are cut back to the last six weeks.
constexpr qsizetype trimThreshold = 61;
constexpr int keptDays = 42;

std::optional<qint64> integerOf(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::trunc(number) || std::fabs(number) > integerLimit)
        return std::nullopt;
    return value.toInteger();
}

// The changes as data (see SharedRecords): a dictation counted, or all counts cleared.
const QString dayMember = QStringLiteral("day");
const QString wordsMember = QStringLiteral("words");
const QString secondsMember = QStringLiteral("seconds");
const QString oldestKeptMember = QStringLiteral("oldestKept");
const QString clearMember = QStringLiteral("clear");

void applyChange(QMap<QString, UsageStats::Day>& days, const QJsonObject& change)
{
    if (change.value(clearMember).toBool()) {
        days.clear();
        return;
    }
    const QString key = change.value(dayMember).toString();
    const qint64 words = integerOf(change.value(wordsMember)).value_or(0);
    const double seconds = change.value(secondsMember).toDouble();
    if (key.isEmpty() || words < 1 || !(seconds >= 0))
        return;
    // A change from a file made by hand, or damaged, may not overflow a count: it is not counted.
    const UsageStats::Day old = days.value(key);
    UsageStats::Day sum;
    if (__builtin_add_overflow(old.words, words, &sum.words)
        || __builtin_add_overflow(old.dictations, qint64(1), &sum.dictations)
        || !std::isfinite(sum.seconds = old.seconds + seconds))
        return;
    days[key] = sum;
    const QJsonValue oldestKept = change.value(oldestKeptMember);
    if (days.size() >= trimThreshold && oldestKept.isString())
        days.removeIf([&](const auto& entry) { return entry.key() < oldestKept.toString(); });
}

}

QString UsageStats::defaultURL()
{
    if (const auto path = Environment::value("QUILLMARSH_STATS"))
        return Environment::expandTilde(*path);
    return AppFolders::data() + QStringLiteral("/stats.json");
}

UsageStats::UsageStats(const QString& url, const QTimeZone& timeZone, QObject* parent)
    : QObject(parent), timeZone_(timeZone),
      records_(url, QStringLiteral("stats"), QStringLiteral("the usage counts"), {encodeFile, decodeFile, applyChange},
               {[this] { emit daysChanged(); }, [this] { emit problemChanged(); }})
{
}

QString UsageStats::dayKey(const QDateTime& date) const
{
    // An invalid date gives zeros for its parts.
    const QDate day = date.toTimeZone(timeZone_).date();
    return QString::asprintf("%04d-%02d-%02d", day.year(), day.month(), day.day());
}

void UsageStats::record(qint64 words, double seconds, const QDateTime& at)
{
    if (words < 1)
        return;
    // Worked out here: the queue has no time zone of its own.
    const QString key = dayKey(at);
    const QDateTime cutoff = at.toTimeZone(timeZone_).addDays(-keptDays);
    const std::optional<QString> oldestKept = cutoff.isValid() ? std::optional(dayKey(cutoff)) : std::nullopt;
    QJsonObject change{
        {dayMember, key}, {wordsMember, words}, {secondsMember, seconds > 0 ? seconds : 0}};  // false for NaN too
    if (oldestKept)
        change.insert(oldestKeptMember, *oldestKept);
    records_.change(change);
}

UsageStats::Week UsageStats::week(const QDateTime& endingOn) const
{
    Week week;
    double seconds = 0;
    const QDateTime last = endingOn.toTimeZone(timeZone_);
    for (int offset = -6; offset <= 0; ++offset) {
        const QDateTime date = last.addDays(offset);
        if (!date.isValid())
            continue;
        const Day day = days().value(dayKey(date));
        week.days.append({date, day});
        week.words += day.words;
        week.dictations += day.dictations;
        seconds += day.seconds;
    }
    if (seconds >= 30.0)
        week.wordsPerMinute = std::llround(double(week.words) / (seconds / 60.0));
    return week;
}

void UsageStats::clear()
{
    records_.change({{clearMember, true}});
}

std::optional<QByteArray> UsageStats::encodeFile(const QMap<QString, Day>& days)
{
    QJsonObject object;
    for (auto it = days.begin(); it != days.end(); ++it) {
        if (!std::isfinite(it->seconds))
            return std::nullopt;
        object.insert(it.key(), QJsonObject{
                                    {QStringLiteral("words"), it->words},
                                    {QStringLiteral("dictations"), it->dictations},
                                    {QStringLiteral("seconds"), it->seconds},
                                });
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<QMap<QString, UsageStats::Day>> UsageStats::decodeFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    QMap<QString, Day> days;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonObject day = it.value().toObject();
        const auto words = integerOf(day.value(QStringLiteral("words")));
        const auto dictations = integerOf(day.value(QStringLiteral("dictations")));
        const QJsonValue seconds = day.value(QStringLiteral("seconds"));
        if (!it.value().isObject() || !words || !dictations || !seconds.isDouble()
            || !std::isfinite(seconds.toDouble()))
            return std::nullopt;
        days.insert(it.key(), {*words, *dictations, seconds.toDouble()});
    }
    return days;
}
