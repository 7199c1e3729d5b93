#include "VocabularyStore.h"

#include "Core/AppFolders.h"
#include "Core/RecordAsData.h"
#include "Core/Settings.h"
#include "Core/UnicodeText.h"
#include "Core/UuidText.h"
#include "Core/WholeSecond.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString describe(VocabularyError::Kind kind, const QString& existingText)
{
    switch (kind) {
    case VocabularyError::Kind::duplicate:
        return QStringLiteral("\u201C%1\u201D is already in your vocabulary.").arg(existingText);
    case VocabularyError::Kind::empty:
        return QStringLiteral("Type a word or phrase.");
    case VocabularyError::Kind::tooLong:
        return QStringLiteral("That's too long for one word or phrase.");
    case VocabularyError::Kind::full:
        return QStringLiteral("The vocabulary is full. Remove a word to add another.");
    }
    return {};
}

// An internet date-time in whole seconds: "2026-03-01T09:30:00Z" or with an offset "+03:30".
std::optional<QDateTime> dateFromText(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:\\d{2})$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

QString dateText(const QDateTime& date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

}

VocabularyEntry::VocabularyEntry(const QUuid& id_, const QString& text_, Source source_, const QDateTime& added_)
    : id(id_), text(text_), source(source_), added(wholeSecond(added_))
{
}

VocabularyError::VocabularyError(Kind kind) : VocabularyError(kind, QString()) {}

VocabularyError::VocabularyError(Kind kind, const QString& existingText)
    : Error(describe(kind, existingText)), kind_(kind), existingText_(existingText)
{
}

VocabularyError VocabularyError::duplicate(const QString& existingText)
{
    return VocabularyError(Kind::duplicate, existingText);
}

QString VocabularyStore::defaultURL()
{
    if (const auto path = Environment::value("QUILLMARSH_VOCABULARY"))
        return Environment::expandTilde(*path);
    return AppFolders::data() + QStringLiteral("/vocabulary.json");
}

QString VocabularyStore::clean(const QString& text)
{
    QString spaced = text;
    spaced.replace(u':', u' ');
    return splitAtWhitespace(spaced).join(u' ');
}

VocabularyStore::VocabularyStore(const QString& url, QObject* parent)
    : QObject(parent), records_(url, QStringLiteral("vocabulary"), QStringLiteral("the vocabulary"),
                                {encodeFile, decodeFile, applyChange},
                                {[this] { entriesDidChange(); }, [this] { emit problemChanged(); }})
{
    writtenForms_ = WrittenForms(hotwords());
}

void VocabularyStore::entriesDidChange()
{
    writtenForms_ = WrittenForms(hotwords());
    emit entriesChanged();
}

QStringList VocabularyStore::hotwords() const
{
    QStringList texts;
    texts.reserve(entries().size());
    for (const VocabularyEntry& entry : entries())
        texts.append(entry.text);
    return texts;
}

std::optional<VocabularyError> VocabularyStore::brokenRule(const QString& cleaned,
                                                           const QList<VocabularyEntry>& entries)
{
    if (cleaned.isEmpty())
        return VocabularyError(VocabularyError::Kind::empty);
    if (userCharacterCount(cleaned) > maxLength)
        return VocabularyError(VocabularyError::Kind::tooLong);
    if (entries.size() >= maxEntries)
        return VocabularyError(VocabularyError::Kind::full);
    const QString key = foldCaseAndDiacritics(cleaned);
    const auto existing = std::find_if(entries.begin(), entries.end(), [&](const VocabularyEntry& entry) {
        return foldCaseAndDiacritics(entry.text) == key;
    });
    if (existing != entries.end())
        return VocabularyError::duplicate(existing->text);
    return std::nullopt;
}

namespace {
// The changes as data (see SharedRecords): a word added, or one removed.
const QString addMember = QStringLiteral("add");
const QString removeMember = QStringLiteral("remove");
}

void VocabularyStore::applyChange(QList<VocabularyEntry>& entries, const QJsonObject& change)
{
    if (const auto id = uuidFromText(change.value(removeMember).toString())) {
        entries.removeIf([&](const VocabularyEntry& entry) { return entry.id == *id; });
        return;
    }
    // Another instance may have added the word meanwhile.
    const auto entry = recordFromData<VocabularyEntry>(change.value(addMember), decodeFile);
    if (entry && !brokenRule(entry->text, entries))
        entries.append(*entry);
}

VocabularyEntry VocabularyStore::add(const QString& text, VocabularyEntry::Source source)
{
    const QString cleaned = clean(text);
    if (const auto broken = brokenRule(cleaned, entries()))
        throw *broken;
    VocabularyEntry entry(QUuid::createUuid(), cleaned, source, QDateTime::currentDateTimeUtc());
    lost_.forget();
    records_.change({{addMember, recordAsData(entry, encodeFile)}},
                    [this, entry](const QList<VocabularyEntry>& before, const QList<VocabularyEntry>& after) {
                        if (after.contains(entry))
                            return;
                        // The list the change met: filled there, or holding the word added there first.
                        const auto broken = brokenRule(entry.text, before);
                        if (broken && broken->kind() == VocabularyError::Kind::full)
                            lost_.tell(QStringLiteral("The vocabulary filled up on another display at the same "
                                                      "time, so \u201C%1\u201D wasn\u2019t added. Remove a word to "
                                                      "add another.")
                                           .arg(entry.text));
                        else
                            lost_.tell(QStringLiteral("\u201C%1\u201D was added on another display at the same "
                                                      "time; the list keeps that one, not yours.")
                                           .arg(entry.text));
                    });
    return entry;
}

void VocabularyStore::remove(const QUuid& id)
{
    records_.change({{removeMember, uuidText(id)}});
}

QByteArray VocabularyStore::encodeFile(const QList<VocabularyEntry>& entries)
{
    QJsonArray array;
    for (const VocabularyEntry& entry : entries) {
        array.append(QJsonObject{
            {QStringLiteral("added"), dateText(entry.added)},
            {QStringLiteral("id"), uuidText(entry.id)},
            {QStringLiteral("source"), QStringLiteral("you")},
            {QStringLiteral("text"), entry.text},
        });
    }
    const QJsonObject file{{QStringLiteral("version"), 1}, {QStringLiteral("entries"), array}};
    return QJsonDocument(file).toJson(QJsonDocument::Indented);
}

std::optional<QList<VocabularyEntry>> VocabularyStore::decodeFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject file = document.object();
    const QJsonValue entries = file.value(QStringLiteral("entries"));
    // The version is read and not checked.
    if (!file.value(QStringLiteral("version")).isDouble() || !entries.isArray())
        return std::nullopt;
    QList<VocabularyEntry> result;
    for (const QJsonValue value : entries.toArray()) {
        const QJsonObject object = value.toObject();
        const QJsonValue text = object.value(QStringLiteral("text"));
        const auto id = uuidFromText(object.value(QStringLiteral("id")).toString());
        const auto added = dateFromText(object.value(QStringLiteral("added")).toString());
        const bool fromYou = object.value(QStringLiteral("source")) == QJsonValue(QStringLiteral("you"));
        if (!value.isObject() || !text.isString() || !id || !added || !fromYou)
            return std::nullopt;
        result.append(VocabularyEntry(*id, text.toString(), VocabularyEntry::Source::you, *added));
    }
    return result;
}
