#include "VocabularyStore.h"

#include "Core/AppFolders.h"
#include "Core/AtomicFile.h"
#include "Core/Log.h"
#include "Core/Settings.h"
#include "Core/StoredFile.h"
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

VocabularyStore::VocabularyStore(const QString& url, QObject* parent) : QObject(parent), url_(url)
{
    if (auto entries = readStoredFile(url_, QStringLiteral("vocabulary"), decodeFile))
        entries_ = std::move(*entries);
    writtenForms_ = WrittenForms(hotwords());
}

void VocabularyStore::entriesDidChange()
{
    writtenForms_ = WrittenForms(hotwords());
    emit entriesChanged();
    save();
}

QStringList VocabularyStore::hotwords() const
{
    QStringList texts;
    texts.reserve(entries_.size());
    for (const VocabularyEntry& entry : entries_)
        texts.append(entry.text);
    return texts;
}

VocabularyEntry VocabularyStore::add(const QString& text, VocabularyEntry::Source source)
{
    const QString cleaned = clean(text);
    if (cleaned.isEmpty())
        throw VocabularyError(VocabularyError::Kind::empty);
    if (userCharacterCount(cleaned) > maxLength)
        throw VocabularyError(VocabularyError::Kind::tooLong);
    if (entries_.size() >= maxEntries)
        throw VocabularyError(VocabularyError::Kind::full);
    const QString key = foldCaseAndDiacritics(cleaned);
    const auto existing = std::find_if(entries_.begin(), entries_.end(), [&](const VocabularyEntry& entry) {
        return foldCaseAndDiacritics(entry.text) == key;
    });
    if (existing != entries_.end())
        throw VocabularyError::duplicate(existing->text);

    const VocabularyEntry entry(QUuid::createUuid(), cleaned, source, QDateTime::currentDateTimeUtc());
    entries_.append(entry);
    entriesDidChange();
    return entry;
}

void VocabularyStore::remove(const QUuid& id)
{
    entries_.removeIf([&](const VocabularyEntry& entry) { return entry.id == id; });
    entriesDidChange();
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
    for (const QJsonValue& value : entries.toArray()) {
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

void VocabularyStore::save() const
{
    if (const auto failure = writeFileAtomically(url_, encodeFile(entries_)))
        Log::info(QStringLiteral("vocabulary: could not save %1: %2").arg(url_, *failure));
}
