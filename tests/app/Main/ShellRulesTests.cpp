// The main window's placement, the account row's badge, the Home page's greeting, week card and clock,
// the retention labels, days, times and play times in the user's locale.
#include "Main/AccountBadge.h"
#include "Main/DisplayText.h"
#include "Main/Home/HomeModel.h"
#include "Main/WindowFrame.h"
#include "ManualClock.h"

#include <QSignalSpy>
#include <QTest>

#include <tuple>

class ShellRulesTests : public QObject {
    Q_OBJECT

private slots:
    void contentHeight_data()
    {
        QTest::addColumn<int>("available");
        QTest::addColumn<int>("expected");
        QTest::newRow("roomy screen") << 900 << 810;
        QTest::newRow("small screen") << 800 << 776;
        QTest::newRow("no screen") << -1 << 810;
    }
    void contentHeight()
    {
        QFETCH(int, available);
        QFETCH(int, expected);
        QCOMPARE(WindowFrame::contentHeight(available < 0 ? std::nullopt : std::optional(available)), expected);
    }

    void fitted_data()
    {
        const QRect left(0, 0, 1920, 1050);
        const QRect right(1920, 0, 1280, 760);
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("on screen stays") << QRect(100, 80, 1120, 810) << QList{left, right}
                                         << QRect(100, 80, 1120, 810);
        QTest::newRow("unplugged monitor: onto the main screen")
            << QRect(3500, 200, 1120, 810) << QList{left} << QRect(800, 200, 1120, 810);
        QTest::newRow("too tall for its screen: capped and moved up")
            << QRect(2000, 100, 1120, 1000) << QList{left, right} << QRect(2000, 24, 1120, 736);
        QTest::newRow("hangs over the edge") << QRect(-300, 500, 1120, 810) << QList{left} << QRect(0, 240, 1120, 810);
        QTest::newRow("no screens: unchanged")
            << QRect(5000, 0, 1120, 810) << QList<QRect>{} << QRect(5000, 0, 1120, 810);
    }
    void fitted()
    {
        QFETCH(QRect, saved);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, expected);
        QCOMPARE(WindowFrame::fitted(saved, screens), expected);
    }

    void avatarLetter_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("letter");
        QTest::newRow("lower-case name") << QString("sara") << QString("x@example.com") << QString("S");
        QTest::newRow("no name: the e-mail") << QString() << QString("nima@example.com") << QString("N");
        QTest::newRow("neither") << QString() << QString() << QString("?");
        QTest::newRow("Persian name unchanged") << QString("سارا") << QString() << QString("س");
        QTest::newRow("a letter with its mark stays whole")
            << QString("e\u0301mile") << QString() << QString("E\u0301");
    }
    void avatarLetter()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, email);
        QFETCH(QString, letter);
        QCOMPARE(AccountBadge::letter(displayName, email), letter);
    }

    void greeting_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("04:59") << QTime(4, 59) << QString("") << QString("Good evening");
        QTest::newRow("05:00") << QTime(5, 0) << QString("") << QString("Good morning");
        QTest::newRow("11:59") << QTime(11, 59) << QString("") << QString("Good morning");
        QTest::newRow("12:00") << QTime(12, 0) << QString("Sara") << QString("Good afternoon, Sara");
        QTest::newRow("17:59") << QTime(17, 59) << QString("") << QString("Good afternoon");
        QTest::newRow("18:00") << QTime(18, 0) << QString("سارا") << QString("Good evening, سارا");
    }
    void greeting()
    {
        QFETCH(QTime, time);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(HomeModel::greeting(time.hour(), name), expected);
    }

    void weekCard_data()
    {
        QTest::addColumn<QList<qint64>>("words");  // oldest first; the last is today
        QTest::addColumn<std::optional<qint64>>("perMinute");
        QTest::addColumn<QList<double>>("heights");
        QTest::addColumn<QStringList>("tones");
        QTest::addColumn<QStringList>("figures");
        // What a reader hears of the first and the last day's bar.
        QTest::addColumn<QStringList>("spoken");
        QTest::addColumn<QLocale>("locale");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("no words") << QList<qint64>{0, 0, 0} << std::optional<qint64>() << QList<double>{5, 5, 5}
                                  << QStringList{"empty", "empty", "today"} << QStringList{"0", "0", "\u2013"}
                                  << QStringList{"Thursday, 0 words", "Saturday, 0 words"} << english;
        QTest::newRow("busiest day is the tallest")
            << QList<qint64>{200, 100, 1} << std::optional<qint64>(1234) << QList<double>{44, 22, 5}
            << QStringList{"used", "used", "today"} << QStringList{"301", "3", "1234"}
            << QStringList{"Thursday, 200 words", "Saturday, 1 word"} << english;
        QTest::newRow("grouped thousands")
            << QList<qint64>{12000, 345} << std::optional<qint64>(90) << QList<double>{44, 5}
            << QStringList{"used", "today"} << QStringList{"12,345", "2", "90"}
            << QStringList{"Friday, 12,000 words", "Saturday, 345 words"} << english;
        QTest::newRow("Persian thousands")
            << QList<qint64>{12000, 345} << std::optional<qint64>(90) << QList<double>{44, 5}
            << QStringList{"used", "today"} << QStringList{"\u06f1\u06f2\u066c\u06f3\u06f4\u06f5", "\u06f2", "90"}
            << QStringList{"\u062c\u0645\u0639\u0647, \u06f1\u06f2\u066c\u06f0\u06f0\u06f0 words",
                           "\u0634\u0646\u0628\u0647, \u06f3\u06f4\u06f5 words"}
            << QLocale(QLocale::Persian, QLocale::Iran);
    }
    void weekCard()
    {
        QFETCH(QList<qint64>, words);
        QFETCH(std::optional<qint64>, perMinute);
        QFETCH(QList<double>, heights);
        QFETCH(QStringList, tones);
        QFETCH(QStringList, figures);
        QFETCH(QStringList, spoken);
        QFETCH(QLocale, locale);
        UsageStats::Week week;
        const QDateTime today(QDate(2026, 12, 5), QTime(12, 0));
        for (qsizetype index = 0; index < words.size(); ++index) {
            const qint64 count = words.at(index);
            week.days.append({today.addDays(index - words.size() + 1), {count, count > 0 ? 1 : 0, 0}});
            week.words += count;
            week.dictations += count > 0 ? 1 : 0;
        }
        week.wordsPerMinute = perMinute;
        const QVariantMap card = HomeModel::weekCard(week, locale);
        QCOMPARE((QStringList{card["words"].toString(), card["dictations"].toString(), card["perMinute"].toString()}),
                 figures);
        const QVariantList days = card["days"].toList();
        QCOMPARE(days.size(), words.size());
        for (qsizetype index = 0; index < days.size(); ++index) {
            QCOMPARE(days[index].toMap()["height"].toDouble(), heights[index]);
            QCOMPARE(days[index].toMap()["tone"].toString(), tones[index]);
        }
        QCOMPARE((QStringList{days.first().toMap()["spoken"].toString(), days.last().toMap()["spoken"].toString()}),
                 spoken);
        if (locale.language() == QLocale::English)
            QCOMPARE(days.last().toMap()["label"].toString(), QStringLiteral("S"));  // Saturday
    }

    // A page left open moves to the new day at midnight, without a new dictation.
    void homeFollowsTheClockPastMidnight()
    {
        ManualClock clock;
        const Clock::TimePoint start = clock.now();
        const QDateTime evening(QDate(2026, 12, 7), QTime(23, 59, 59));
        HomeModel home;
        home.setClock(clock, [&] {
            return evening.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - start).count());
        });
        QSignalSpy records(&home, &HomeModel::recordsChanged);
        QCOMPARE(home.today(), "Monday, December 7");
        clock.advance(std::chrono::milliseconds(HomeModel::pollMilliseconds));
        QCOMPARE(home.today(), "Tuesday, December 8");
        QCOMPARE(records.count(), 1);
        clock.advance(std::chrono::milliseconds(HomeModel::pollMilliseconds));
        QCOMPARE(records.count(), 1);
    }

    // Days read as the user's desktop reads them: the locale's long date without the year, its
    // calendar and its digits; times in its short form.
    void daysInTheUserLocale_data()
    {
        using Form = DisplayText::DayForm;
        QTest::addColumn<QString>("locale");
        QTest::addColumn<Form>("form");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << "de_DE" << Form::full << "Montag, 7. Dezember";
        QTest::newRow("German, short month") << "de_DE" << Form::abbreviatedMonth << "Montag, 7. Dez.";
        QTest::newRow("German, short") << "de_DE" << Form::abbreviated << "Mo., 7. Dez.";
        QTest::newRow("Persian") << "fa_IR" << Form::full << "دوشنبه ۱۶ آذر";
        QTest::newRow("Persian, short") << "fa_IR" << Form::abbreviated << "دوشنبه ۱۶ آذر";
        QTest::newRow("C reads as US English") << "C" << Form::full << "Monday, December 7";
        QTest::newRow("C, short month") << "C" << Form::abbreviatedMonth << "Monday, Dec 7";
        QTest::newRow("C, short") << "C" << Form::abbreviated << "Mon, Dec 7";
        // The year goes with what joins it: quoted words, a trailing abbreviation, a leading year.
        QTest::newRow("Spanish") << "es_ES" << Form::full << "lunes, 7 de diciembre";
        QTest::newRow("Russian") << "ru_RU" << Form::full << "понедельник, 7 декабря";
        QTest::newRow("Hungarian") << "hu_HU" << Form::full << "december 7., hétfő";
        QTest::newRow("Japanese") << "ja_JP" << Form::full << "12月7日月曜日";
    }
    void daysInTheUserLocale()
    {
        QFETCH(QString, locale);
        QFETCH(DisplayText::DayForm, form);
        QFETCH(QString, expected);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const QString shown = DisplayText::day(QDate(2026, 12, 7), form);
        QLocale::setDefault(before);
        QCOMPARE(shown, expected);
    }

    // A time of day, and a play time of 62 min 5 s, in the locale's digits.
    void timesInTheUserLocale()
    {
        const QDateTime evening(QDate(2026, 12, 7), QTime(21, 5));
        const QList<std::tuple<QString, QString, QString>> cases{
            {"de_DE", "21:05", "62:05"}, {"fa_IR", "۲۱:۰۵", "۶۲:۰۵"}, {"C", "9:05 PM", "62:05"}};
        const QLocale before;
        for (const auto& [locale, time, playTime] : cases) {
            QLocale::setDefault(QLocale(locale));
            const QString shown = DisplayText::time(evening);
            const QString played = DisplayText::duration(3725);
            QLocale::setDefault(before);
            QCOMPARE(shown, time);
            QCOMPARE(played, playTime);
        }
    }

    void playTimesReadMinutesAndSeconds()
    {
        const QList<std::pair<double, QString>> cases{
            {0, "0:00"}, {7.4, "0:07"}, {59.5, "1:00"}, {61, "1:01"}, {600, "10:00"}};
        for (const auto& [seconds, text] : cases)
            QCOMPARE(DisplayText::duration(seconds), text);
    }

    void retentionLabel()
    {
        const QList<std::pair<int, QString>> cases{{7, "7 days"}, {14, "14 days"}, {30, "30 days"}, {365, "1 year"}};
        for (const auto& [days, label] : cases)
            QCOMPARE(DisplayText::retentionLabel(days), label);
    }
};

QTEST_GUILESS_MAIN(ShellRulesTests)
#include "ShellRulesTests.moc"
