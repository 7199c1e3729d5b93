#pragma once
// How values read on the pages: key names, style names, retention periods, the version, and dates
// and times.

#include <QCalendar>
#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class DisplayText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "right Ctrl", "right Alt", "right Super"; empty for an unknown raw value.
    Q_INVOKABLE static QString keyName(const QString& keyRaw);
    // "As spoken", "Clean", "Formal"; empty for an unknown raw value.
    Q_INVOKABLE static QString styleLabel(const QString& styleRaw);
    // 365 reads "1 year", any other number "N days".
    Q_INVOKABLE static QString retentionLabel(int days);
    // "Quillmarsh 0.1 (1)".
    Q_INVOKABLE static QString version();

    // The locale dates and times read in: the user's, or US English where the environment names
    // none (the C locale), so days and times read as words and "5:54 AM", not "05:54:29".
    static QLocale locale();
    // The calendar of `locale()`: the solar hijri calendar where Persian is spoken, else the
    // Gregorian one.
    static QCalendar calendar();
    // A moment's time of day, short, in local time.
    static QString time(const QDateTime& moment);
    // A play time as minutes, a colon and two digits of seconds, in the locale's digits: 61 s
    // reads "1:01", and "۱:۰۱" in Persian.
    Q_INVOKABLE static QString duration(double seconds);
    // A count in the locale's digits, its thousands grouped with the locale's own mark: Qt's data
    // gives Persian a Latin comma where Persian writes "٬".
    static QString count(qint64 value, const QLocale& shown);
    // What stands between two parts of a line ("12:23 PM · 78 words"): a middle dot, unless
    // the locale's digits have a dot of their own for zero (Persian), where a dash can't be read
    // as one.
    Q_INVOKABLE static QString separator();

    // How much of the weekday's and the month's names a day shows.
    enum class DayForm {
        full,  // "Monday, December 7"
        abbreviatedMonth,  // "Monday, Dec 7"
        abbreviated,  // "Mon, Dec 7"
    };
    // A day without its year, in the order and punctuation of the locale's long date, in its
    // calendar and digits ("Montag, 7. Dezember" in German; the Persian month in Persian).
    static QString day(const QDate& date, DayForm form);
};
