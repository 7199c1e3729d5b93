#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Snippets/SnippetStore.h"
#include "Vocabulary/VocabularyStore.h"

#include "StoreSaves.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class UsageStatsTest : public testing::Test {
protected:
    // New York moves its clocks forward on 8 March 2026 and back on 1 November 2026.
    const QTimeZone newYork{"America/New_York"};
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("stats.json"));

    QDateTime local(int year, int month, int day, int hour, int minute, int second = 0) const
    {
        return QDateTime(QDate(year, month, day), QTime(hour, minute, second), newYork);
    }
};

}

TEST_F(UsageStatsTest, CountsAddUpPerLocalDay)
{
    UsageStats stats(path, newYork);
    int changes = 0;
    QObject::connect(&stats, &UsageStats::daysChanged, [&] { ++changes; });

    stats.record(0, 10, local(2026, 3, 7, 12, 0));
    EXPECT_TRUE(stats.days().isEmpty());
    EXPECT_FALSE(QFile::exists(path)) << "nothing counted, nothing saved";
    EXPECT_EQ(changes, 0);

    stats.record(5, -3, local(2026, 3, 7, 12, 0));
    stats.record(2, 1.5, local(2026, 3, 7, 23, 59, 59));
    stats.record(1, std::nan(""), local(2026, 3, 8, 0, 0, 1));
    // 03:00 UTC on 9 March is still 8 March in New York.
    stats.record(4, 2, QDateTime(QDate(2026, 3, 9), QTime(3, 0), Qt::UTC));
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(stats.days(), (QMap<QString, UsageStats::Day>{
                                {QStringLiteral("2026-03-07"), {7, 2, 1.5}},
                                {QStringLiteral("2026-03-08"), {5, 2, 2}},
                            }));
    ASSERT_TRUE(allSaved(stats));
    EXPECT_EQ(UsageStats(path, newYork).days(), stats.days()) << "the file round-trips";
}

TEST_F(UsageStatsTest, AWeekIsSevenCalendarDaysAcrossAClockChange)
{
    UsageStats stats(path, newYork);
    const QDateTime end = local(2026, 3, 10, 0, 30);  // two days after the clocks went forward
    const UsageStats::Week empty = stats.week(end);
    ASSERT_EQ(empty.days.size(), 7);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(empty.days[k].date, local(2026, 3, 4 + k, 0, 30)) << k;
    EXPECT_FALSE(empty.wordsPerMinute);

    stats.record(60, 20, local(2026, 3, 4, 0, 10));
    stats.record(40, 9.9, local(2026, 3, 8, 23, 50));
    stats.record(1000, 100, local(2026, 3, 3, 23, 59));  // the day before the week
    EXPECT_EQ(stats.week(end).words, 100);
    EXPECT_EQ(stats.week(end).dictations, 2);
    EXPECT_FALSE(stats.week(end).wordsPerMinute) << "29.9 s is too little speech";

    stats.record(1, 0.1, local(2026, 3, 10, 0, 1));
    EXPECT_EQ(stats.week(end).wordsPerMinute, 202);  // 101 words over 30 s
    UsageStats june(dir.filePath(QStringLiteral("june.json")), newYork);
    june.record(61, 40, local(2026, 6, 1, 12, 0));
    EXPECT_EQ(june.week(local(2026, 6, 2, 12, 0)).wordsPerMinute, 92) << "91.5 rounds away from zero";
}

TEST_F(UsageStatsTest, SixtyOneDaysAreCutBackToSixWeeksByTheCalendar)
{
    QJsonObject seeded;
    const auto add = [&](const QString& key) {
        seeded.insert(key, QJsonObject{{"words", 1}, {"dictations", 1}, {"seconds", 1.0}});
    };
    add(QStringLiteral("2026-01-26"));
    add(QStringLiteral("2026-01-27"));  // exactly 42 calendar days before 10 March
    add(QStringLiteral("2027-01-01"));  // later than the recording
    for (int k = 0; seeded.size() < 60; ++k)
        add(QDate(2025, 1, 1).addDays(k).toString(Qt::ISODate));
    writeFile(path, QJsonDocument(seeded).toJson());

    UsageStats stats(path, newYork);
    ASSERT_EQ(stats.days().size(), 60);
    stats.record(3, 1, local(2026, 3, 10, 0, 30));
    EXPECT_EQ(stats.days().keys(), (QStringList{"2026-01-27", "2026-03-10", "2027-01-01"}));
    ASSERT_TRUE(allSaved(stats));
    EXPECT_EQ(UsageStats(path, newYork).days().keys(), stats.days().keys());
}

TEST_F(UsageStatsTest, AnUndecodableFileIsKeptAsideNotOverwritten)
{
    const QString side = dir.filePath(QStringLiteral("stats.unreadable.json"));
    const QList<QByteArray> broken = {
        R"({"2026-03-01":{"words":5,"dictations":1}})",
        R"({"2026-03-01":{"words":"5","dictations":1,"seconds":2}})",
        R"({"2026-03-01":{"words":5,"dictations":1,"sec)",
        R"([])",
    };
    for (const QByteArray& bytes : broken) {
        QFile::remove(side);
        writeFile(path, bytes);
        UsageStats stats(path, newYork);
        EXPECT_TRUE(stats.days().isEmpty()) << bytes.constData();
        EXPECT_EQ(readFile(side), bytes);
        stats.record(2, 1, local(2026, 3, 2, 9, 0));
        ASSERT_TRUE(allSaved(stats));
        EXPECT_EQ(readFile(side), bytes);
    }

    writeFile(
        path,
        R"({"2026-03-01":{"words":9007199254740993,"dictations":1,"seconds":2.25,"later":true},"odd key":{"words":1,"dictations":0,"seconds":0}})");
    const UsageStats lenient(path, newYork);
    EXPECT_EQ(lenient.days().value(QStringLiteral("2026-03-01")), (UsageStats::Day{9007199254740993, 1, 2.25}));
    EXPECT_TRUE(lenient.days().contains(QStringLiteral("odd key")));
}
