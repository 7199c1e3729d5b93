#pragma once
// The user's vocabulary: names and terms that dictation should get right, kept in
// "vocabulary.json" and offered as the hotwords that bias the recognisers and as the written
// forms that put the user's spelling back into recognised text. Shared with other instances (see
// SharedRecords).

#include "Core/Error.h"
#include "Core/LostChange.h"
#include "Core/SharedRecords.h"
#include "Recognition/WrittenForms.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

struct VocabularyEntry {
    enum class Source { you };

    // The date is cut down to the whole second: the file holds whole seconds only.
    VocabularyEntry(const QUuid& id, const QString& text, Source source, const QDateTime& added);

    QUuid id;
    QString text;  // cleaned
    Source source;
    QDateTime added;

    bool operator==(const VocabularyEntry&) const = default;
};

class VocabularyError : public Error {
public:
    enum class Kind { duplicate, empty, tooLong, full };

    static VocabularyError duplicate(const QString& existingText);
    explicit VocabularyError(Kind kind);

    Kind kind() const { return kind_; }
    // The text of the entry that a duplicate collides with.
    const QString& existingText() const { return existingText_; }

    bool operator==(const VocabularyError& other) const
    {
        return kind_ == other.kind_ && existingText_ == other.existingText_;
    }

private:
    VocabularyError(Kind kind, const QString& existingText);

    Kind kind_;
    QString existingText_;
};

class VocabularyStore : public QObject {
    Q_OBJECT
    // What the user should know about the vocabulary's file (see StoredFile); empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    // Why a word added here isn't in the list: another instance saved the same word first, or
    // filled the list. Empty until that happens, and again from the next word added here.
    Q_PROPERTY(QString lostChange READ lostChange NOTIFY lostChangeChanged)

public:
    static constexpr qsizetype maxLength = 60;  // user-perceived characters
    static constexpr qsizetype maxEntries = 500;

    // "QUILLMARSH_VOCABULARY", else "vocabulary.json" in the application's data folder.
    static QString defaultURL();
    // Colons become spaces; white-space runs become one space, none at the ends.
    static QString clean(const QString& text);

    // Loads the file; never fails. A file that can't be decoded is kept aside (as
    // "vocabulary.unreadable.json" when that name is free) and the list starts empty.
    explicit VocabularyStore(const QString& url, QObject* parent = nullptr);

    const QList<VocabularyEntry>& entries() const { return records_.content(); }
    const QString& url() const { return records_.path(); }
    QString problem() const { return records_.problem(); }
    const QString& lostChange() const { return lost_.text(); }
    // Changes shown in the list but not yet saved.
    qsizetype unsavedChanges() const { return records_.unsavedChanges(); }
    // Finished at quit together with the other stores (see finishSavesAtQuit).
    SavesAtQuit& saves() { return records_; }
    // The entries' texts in list order.
    QStringList hotwords() const;
    // Built from the hotwords; follows every change of the entries.
    const WrittenForms& writtenForms() const { return writtenForms_; }

    // Changes throw VocabularyError for a refused word, and the list stays as it was; else they
    // show in the list at once and are saved on the store's queue.
    VocabularyEntry add(const QString& text, VocabularyEntry::Source source);
    // Saves even when no entry had the identifier.
    void remove(const QUuid& id);

    // The file's format: pretty-printed JSON with sorted keys, "version" 1 and "entries".
    static QByteArray encodeFile(const QList<VocabularyEntry>& entries);
    // Nothing unless every entry is complete and valid.
    static std::optional<QList<VocabularyEntry>> decodeFile(const QByteArray& bytes);

signals:
    void entriesChanged();
    void problemChanged();
    void lostChangeChanged();

private:
    // The first rule a new word breaks among the entries.
    static std::optional<VocabularyError> brokenRule(const QString& cleaned, const QList<VocabularyEntry>& entries);
    void entriesDidChange();
    static void applyChange(QList<VocabularyEntry>& entries, const QJsonObject& change);

    WrittenForms writtenForms_;
    LostChange lost_{[this] { emit lostChangeChanged(); }};
    SharedRecords<QList<VocabularyEntry>> records_;
};
