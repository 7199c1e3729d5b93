#pragma once
// The user's snippets: a phrase said in a dictation (the trigger) is replaced by a longer text.
// Kept in "snippets.json"; triggers match transcripts in a normalised form that folds Persian
// and Arabic letter variants, digits, diacritics, punctuation and letter case. Shared with other
// instances (see SharedRecords).

#include "Core/Error.h"
#include "Core/LostChange.h"
#include "Core/SharedRecords.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

struct Snippet {
    QUuid id;
    QString trigger;  // tidied: single spaces, none at the ends
    QString text;  // exactly as the user typed it
    bool exact = false;  // insert without the formatting server's improvement

    bool operator==(const Snippet&) const = default;
};

class SnippetError : public Error {
public:
    enum class Kind { duplicate, emptyTrigger, emptyText, triggerTooLong, textTooLong, full };

    static SnippetError duplicate(const QString& existingTrigger);
    explicit SnippetError(Kind kind);

    Kind kind() const { return kind_; }
    // The stored trigger of the snippet that a duplicate collides with.
    const QString& existingTrigger() const { return existingTrigger_; }

    bool operator==(const SnippetError& other) const
    {
        return kind_ == other.kind_ && existingTrigger_ == other.existingTrigger_;
    }

private:
    SnippetError(Kind kind, const QString& existingTrigger);

    Kind kind_;
    QString existingTrigger_;
};

class SnippetStore : public QObject {
    Q_OBJECT
    // What the user should know about the snippets' file (see StoredFile); empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    // Why a snippet added or changed here isn't in the list: another instance saved one with the
    // same trigger first, deleted the snippet, or filled the list. Empty until that happens, and
    // again from the next change made here.
    Q_PROPERTY(QString lostChange READ lostChange NOTIFY lostChangeChanged)

public:
    static constexpr qsizetype maxTriggerLength = 60;  // user-perceived characters
    static constexpr qsizetype maxTextLength = 5000;
    static constexpr qsizetype maxEntries = 200;

    struct Expansion {
        QString text;
        QList<Snippet> snippets;  // in firing order, once per firing

        // True when every fired snippet asks for its exact text (also for none).
        bool keepsExactly() const;
        bool operator==(const Expansion&) const = default;
    };

    // "QUILLMARSH_SNIPPETS", else "snippets.json" in the application's data folder.
    static QString defaultURL();

    // Loads the file; never fails. A file that can't be decoded is kept aside (as
    // "snippets.unreadable.json" when that name is free) and the list starts empty.
    explicit SnippetStore(const QString& url, QObject* parent = nullptr);

    const QList<Snippet>& entries() const { return records_.content(); }
    const QString& url() const { return records_.path(); }
    QString problem() const { return records_.problem(); }
    const QString& lostChange() const { return lost_.text(); }
    // Changes shown in the list but not yet saved.
    qsizetype unsavedChanges() const { return records_.unsavedChanges(); }
    // Finished at quit together with the other stores (see finishSavesAtQuit).
    SavesAtQuit& saves() { return records_; }

    // Changes throw SnippetError for a refused snippet, and the list stays as it was; else they
    // show in the list at once and are saved on the store's queue.
    Snippet add(const QString& trigger, const QString& text, bool exact);
    // Changes the snippet with the same identifier; nothing happens when there is none.
    void update(const Snippet& snippet);
    void remove(const QUuid& id);

    // Nothing when no snippet fired.
    std::optional<Expansion> expand(const QString& transcript) const;
    std::optional<Snippet> match(const QString& text) const;

    static QString normalize(const QString& text);

    // The file's format: a compact JSON array of snippet objects.
    static QByteArray encodeFile(const QList<Snippet>& snippets);
    // Nothing unless the bytes are an array of complete snippet objects.
    static std::optional<QList<Snippet>> decodeFile(const QByteArray& bytes);

signals:
    void entriesChanged();
    void problemChanged();
    void lostChangeChanged();

private:
    // The first rule the snippet breaks among the entries, as new or as replacing one.
    static std::optional<SnippetError> brokenRule(const Snippet& snippet, const std::optional<QUuid>& replacing,
                                                  const QList<Snippet>& entries);

    static void applyChange(QList<Snippet>& entries, const QJsonObject& change);
    // Saves the snippet as added or updated, and says so when the save leaves it out.
    void keepOrTell(const Snippet& snippet, bool adding);
    static QString whyLeftOut(const Snippet& snippet, bool adding, const QList<Snippet>& met);

    LostChange lost_{[this] { emit lostChangeChanged(); }};
    SharedRecords<QList<Snippet>> records_;
};
