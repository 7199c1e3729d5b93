#pragma once
// Daily usage counts (words, dictations, seconds of speech) kept in "stats.json" for about the
// last six weeks, and the summary of a week for the home page. Days follow the given time zone,
// so a dictation just after local midnight counts for the new day. Shared with other instances
// (see SharedRecords).

#include "Core/SharedRecords.h"

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
    const QMap<QString, Day>& days() const { return records_.content(); }
    const QString& url() const { return records_.path(); }
    const QTimeZone& timeZone() const { return timeZone_; }
    QString problem() const { return records_.problem(); }
    // Changes shown in the counts but not yet saved.
    qsizetype unsavedChanges() const { return records_.unsavedChanges(); }
    // Finished at quit together with the other stores (see finishSavesAtQuit).
    SavesAtQuit& saves() { return records_; }

    // Each change shows in the counts at once and is saved on the store's queue.
    // Counts one dictation of at least one word; a negative or NaN duration counts as 0 s.
    void record(qint64 words, double seconds, const QDateTime& at);
    // The seven calendar days that end with the given date's day.
    Week week(const QDateTime& endingOn) const;
    void clear();

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

    QTimeZone timeZone_;
    SharedRecords<QMap<QString, Day>> records_;
};
