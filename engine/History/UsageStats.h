#pragma once
// Daily usage counts (words, dictations, seconds of speech) kept in "stats.json" for about the
// last six weeks, and the summary of a week for the home page. Days follow the given time zone,
// so a dictation just after local midnight counts for the new day.

#include "Core/StoredFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTimeZone>

#include <optional>

class UsageStats : public QObject {
    Q_OBJECT
    // What the user should know about the counts' file (see StoredFile); empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    struct Day {
        qint64 words = 0;
        qint64 dictations = 0;
        double seconds = 0;

        bool operator==(const Day&) const = default;
    };

    struct DatedDay {
        QDateTime date;
        Day day;

        bool operator==(const DatedDay&) const = default;
    };

    struct Week {
        QList<DatedDay> days;  // oldest first
        qint64 words = 0;
        qint64 dictations = 0;
        std::optional<qint64> wordsPerMinute;  // absent below 30 s of speech

        bool operator==(const Week&) const = default;
    };

    // "QUILLMARSH_STATS", else "stats.json" in the application's data folder.
    static QString defaultURL();

    // Loads the file; never fails. A file that can't be decoded is kept aside (as
    // "stats.unreadable.json" when that name is free) and the counts start empty.
    UsageStats(const QString& url, const QTimeZone& timeZone, QObject* parent = nullptr);

    // Keyed by "yyyy-mm-dd" in the time zone.
    const QMap<QString, Day>& days() const { return days_; }
    const QString& url() const { return file_.path(); }
    const QTimeZone& timeZone() const { return timeZone_; }
    QString problem() const { return file_.problem(); }

    // Each change is kept only when the file is saved; otherwise the counts stay as they were and
    // the change returns why.
    using Outcome = std::optional<QString>;

    // Counts one dictation of at least one word; a negative or NaN duration counts as 0 s.
    Outcome record(qint64 words, double seconds, const QDateTime& at);
    // The seven calendar days that end with the given date's day.
    Week week(const QDateTime& endingOn) const;
    Outcome clear();

    // The file's format: a compact JSON object of day keys to day counts. Nothing when a count
    // can't be written as JSON (an infinite number of seconds).
    static std::optional<QByteArray> encodeFile(const QMap<QString, Day>& days);
    // Nothing unless every member is a complete day.
    static std::optional<QMap<QString, Day>> decodeFile(const QByteArray& bytes);

signals:
    void daysChanged();
    void problemChanged();

private:
    QString dayKey(const QDateTime& date) const;
    // Reads the file again when it couldn't be read or another instance changed it.
    void readAgainIfChanged();
    // Holds the file's lock, with what it holds read again, while a change is worked out and saved.
    [[nodiscard]] FileLock beginChange();
    Outcome commit(QMap<QString, Day> changed);

    StoredFile file_;
    QTimeZone timeZone_;
    QMap<QString, Day> days_;
};
