#pragma once
// The text of past dictations, newest first, kept in "history.json" (private to the user) and
// shared with other instances (see SharedRecords). The owner is told of every entry taken out so
// it can delete the entry's kept recording.

#include "Core/SharedRecords.h"
#include "Style/AppCategory.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

struct HistoryEntry {
    // The date is cut down to the whole second; an absent text is the recognised text.
    HistoryEntry(const QUuid& id, const QDateTime& date, const QString& raw,
                 const std::optional<QString>& text = std::nullopt,
                 const std::optional<QString>& bundleID = std::nullopt,
                 const std::optional<QString>& appName = std::nullopt,
                 const std::optional<QString>& style = std::nullopt,
                 const std::optional<AppCategory>& category = std::nullopt);

    QUuid id;  // also the name of the kept recording
    QDateTime date;
    QString raw;  // as recognised
    QString text;  // as inserted, or as improved later
    std::optional<QString> bundleID;
    std::optional<QString> appName;
    std::optional<QString> style;  // set when an improvement replaced the text
    std::optional<QString> category;  // raw value of the application's category
    std::optional<QString> clipCode;  // while the recording is shared

    // The stored category when it is a known one, else the category of the application.
    AppCategory appCategory() const;
    qsizetype wordCount() const;
    bool wasChanged() const;

    bool operator==(const HistoryEntry&) const = default;
};

class HistoryStore : public QObject {
    Q_OBJECT
    // What the user should know about the history's file (see StoredFile); empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    static constexpr qsizetype maxEntries = 2000;

    // "QUILLMARSH_HISTORY", else "history.json" in the application's data folder.
    static QString defaultURL();

    // Loads the file; never fails. A file that can't be decoded is kept aside (as
    // "history.unreadable.json" when that name is free) and the history starts empty.
    explicit HistoryStore(const QString& url, QObject* parent = nullptr);

    const QList<HistoryEntry>& entries() const { return records_.content(); }
    const QString& url() const { return records_.path(); }
    QString problem() const { return records_.problem(); }
    // Changes shown in the entries but not yet saved.
    qsizetype unsavedChanges() const { return records_.unsavedChanges(); }
    // Finished at quit together with the other stores (see finishSavesAtQuit).
    SavesAtQuit& saves() { return records_; }

    // Called with the identifier of every entry taken out, after the file is saved.
    std::function<void(const QUuid&)> onRemove;

    // Each change shows in the entries at once and is saved on the store's queue.
    // Puts the entry first; beyond the cap the oldest go, without reaching onRemove. `saved` is
    // called once the entry is saved; `failed`, with why, when its first save fails.
    void add(const HistoryEntry& entry, std::function<void()> saved = {},
             std::function<void(const QString&)> failed = {});
    // An absent style keeps the entry's old one. Unknown identifiers are ignored.
    void improve(const QUuid& id, const QString& text, const std::optional<QString>& style);
    // The improvement was taken back: the entry holds the dictated text again, and no style.
    void undoImprovement(const QUuid& id, const QString& text);
    void setClipCode(const QUuid& id, const std::optional<QString>& code);
    // Saves and tells onRemove even when no entry had the identifier.
    void remove(const QUuid& id);
    void clear();
    // Removes entries dated more than the given number of days (of 86,400 s) before now.
    void prune(int olderThanDays, const QDateTime& now);
    // Entries of the category (any, when absent) holding the query in their text, recognised text
    // or application name, ignoring case and accents; a blank query matches all.
    QList<HistoryEntry> search(const QString& query, const std::optional<AppCategory>& category) const;

    // The file's format: a compact JSON array, newest entry first; absent values have no key.
    static QByteArray encodeFile(const QList<HistoryEntry>& entries);
    // Nothing unless every entry is complete and well typed.
    static std::optional<QList<HistoryEntry>> decodeFile(const QByteArray& bytes);

signals:
    void entriesChanged();
    void problemChanged();

private:
    // Changes the entry with the identifier; nothing to do when there is none.
    void changeEntry(const QUuid& id, const QJsonObject& change);
    // Takes out entries, telling onRemove of each once saved.
    void removeWhere(const QJsonObject& change);
    void announceTaken(const QList<HistoryEntry>& before, const QList<HistoryEntry>& after) const;
    void announceRemoved(const QList<QUuid>& ids) const;

    SharedRecords<QList<HistoryEntry>> records_;
};
