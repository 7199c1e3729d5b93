#include "History/HistoryStore.h"

#include "Core/AppFolders.h"
#include "Core/RecordAsData.h"
#include "Core/Settings.h"
#include "Core/UnicodeText.h"
#include "Core/UuidText.h"
#include "Core/WholeSecond.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 secondsPerDay = 86'400;
// Dates further than this from 1970 (about three million years) are not dates of a dictation.
constexpr double dateLimitSeconds = 1e14;

const QString idKey = QStringLiteral("id");
const QString dateKey = QStringLiteral("date");
const QString rawKey = QStringLiteral("raw");
const QString textKey = QStringLiteral("text");
const QString bundleIDKey = QStringLiteral("bundleID");
const QString appNameKey = QStringLiteral("appName");
const QString styleKey = QStringLiteral("style");
const QString categoryKey = QStringLiteral("category");
const QString clipCodeKey = QStringLiteral("clipCode");

QJsonValue dateValue(const QDateTime& date)
{
    const qint64 milliseconds = date.toMSecsSinceEpoch();
    if (milliseconds % 1000 == 0)
        return milliseconds / 1000;
    return double(milliseconds) / 1000.0;
}

std::optional<QDateTime> dateFrom(const QJsonValue& value)
{
    if (!value.isDouble() || std::fabs(value.toDouble()) > dateLimitSeconds)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(std::llround(value.toDouble() * 1000.0), Qt::UTC);
}

// A missing or null optional member is absent; any other non-string breaks the entry.
bool readOptional(const QJsonObject& object, const QString& key, std::optional<QString>& into)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString())
        return false;
    into = value.toString();
    return true;
}

void writeOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value)
{
    if (value)
        object.insert(key, *value);
}

bool containsFolded(const std::optional<QString>& text, const QString& foldedQuery)
{
    return text && foldCaseAndDiacritics(*text).contains(foldedQuery);
}

}

HistoryEntry::HistoryEntry(const QUuid& id_, const QDateTime& date_, const QString& raw_,
                           const std::optional<QString>& text_, const std::optional<QString>& bundleID_,
                           const std::optional<QString>& appName_, const std::optional<QString>& style_,
                           const std::optional<AppCategory>& category_)
    : id(id_), date(wholeSecond(date_)), raw(raw_), text(text_.value_or(raw_)), bundleID(bundleID_), appName(appName_),
      style(style_)
{
    if (category_)
        category = AppCategories::rawValue(*category_);
}

AppCategory HistoryEntry::appCategory() const
{
    if (category) {
        if (const auto known = AppCategories::fromRawValue(*category))
            return *known;
    }
    return AppCategories::of(bundleID);
}

qsizetype HistoryEntry::wordCount() const
{
    return splitAtWhitespace(text).size();
}

bool HistoryEntry::wasChanged() const
{
    return !sameText(text, raw);
}

namespace {
// The changes as data (see SharedRecords).
const QString kindKey = QStringLiteral("kind");
const QString entryKey = QStringLiteral("entry");
const QString cutoffKey = QStringLiteral("before");
const QString addKind = QStringLiteral("add");
const QString improveKind = QStringLiteral("improve");
const QString undoKind = QStringLiteral("undoImprovement");
const QString clipCodeKind = QStringLiteral("clipCode");
const QString removeKind = QStringLiteral("remove");
const QString removeAllKind = QStringLiteral("removeAll");
const QString removeOlderKind = QStringLiteral("removeOlder");

bool isRemoval(const QJsonObject& change)
{
    const QString kind = change.value(kindKey).toString();
    return kind == removeKind || kind == removeAllKind || kind == removeOlderKind;
}

void changeEntry(QList<HistoryEntry>& entries, const QJsonObject& change)
{
    const auto id = uuidFromText(change.value(idKey).toString());
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const HistoryEntry& e) { return e.id == id; });
    if (!id || it == entries.end())
        return;
    const QString kind = change.value(kindKey).toString();
    if (kind == clipCodeKind) {
        it->clipCode.reset();
        readOptional(change, clipCodeKey, it->clipCode);
        return;
    }
    it->text = change.value(textKey).toString(it->text);
    if (kind == undoKind)
        it->style.reset();
    else
        readOptional(change, styleKey, it->style);
}

void applyChange(QList<HistoryEntry>& entries, const QJsonObject& change)
{
    const QString kind = change.value(kindKey).toString();
    if (kind == addKind) {
        const auto entry = recordFromData<HistoryEntry>(change.value(entryKey), HistoryStore::decodeFile);
        // Saved once already, by a run that couldn't tell.
        if (!entry
            || std::any_of(entries.begin(), entries.end(), [&](const HistoryEntry& e) { return e.id == entry->id; }))
            return;
        entries.prepend(*entry);
        if (entries.size() > HistoryStore::maxEntries)
            entries.remove(HistoryStore::maxEntries, entries.size() - HistoryStore::maxEntries);
    } else if (kind == removeKind) {
        const auto id = uuidFromText(change.value(idKey).toString());
        entries.removeIf([&](const HistoryEntry& e) { return e.id == id; });
    } else if (kind == removeAllKind) {
        entries.clear();
    } else if (kind == removeOlderKind) {
        if (const auto cutoff = dateFrom(change.value(cutoffKey)))
            entries.removeIf([&](const HistoryEntry& e) { return e.date < *cutoff; });
    } else {
        changeEntry(entries, change);
    }
}

QJsonObject entryChange(const QString& kind, const QUuid& id)
{
    return {{kindKey, kind}, {idKey, uuidText(id)}};
}
}

QString HistoryStore::defaultURL()
{
    if (const auto path = Environment::value("QUILLMARSH_HISTORY"))
        return Environment::expandTilde(*path);
    return AppFolders::data() + QStringLiteral("/history.json");
}

HistoryStore::HistoryStore(const QString& url, QObject* parent)
    : QObject(parent),
      records_(url, QStringLiteral("history"), QStringLiteral("the history"), {encodeFile, decodeFile, applyChange},
               {[this] { emit entriesChanged(); }, [this] { emit problemChanged(); },
                // A removal kept by another run takes its recordings with it here.
                [this](const QJsonObject&, const QList<HistoryEntry>& before, const QList<HistoryEntry>& after) {
                    announceTaken(before, after);
                },
                isRemoval})
{
}

void HistoryStore::changeEntry(const QUuid& id, const QJsonObject& change)
{
    // Nothing to change is nothing to save.
    if (std::none_of(entries().begin(), entries().end(), [id](const HistoryEntry& e) { return e.id == id; }))
        return;
    records_.change(change);
}

void HistoryStore::add(const HistoryEntry& entry, std::function<void()> saved,
                       std::function<void(const QString&)> failed)
{
    records_.change({{kindKey, addKind}, {entryKey, recordAsData(entry, encodeFile)}}, std::move(saved),
                    std::move(failed));
}

void HistoryStore::improve(const QUuid& id, const QString& text, const std::optional<QString>& style)
{
    QJsonObject change = entryChange(improveKind, id);
    change.insert(textKey, text);
    writeOptional(change, styleKey, style);
    changeEntry(id, change);
}

void HistoryStore::undoImprovement(const QUuid& id, const QString& text)
{
    QJsonObject change = entryChange(undoKind, id);
    change.insert(textKey, text);
    changeEntry(id, change);
}

void HistoryStore::setClipCode(const QUuid& id, const std::optional<QString>& code)
{
    QJsonObject change = entryChange(clipCodeKind, id);
    writeOptional(change, clipCodeKey, code);
    changeEntry(id, change);
}

void HistoryStore::remove(const QUuid& id)
{
    records_.change(entryChange(removeKind, id),
                    [this, id](const QList<HistoryEntry>&, const QList<HistoryEntry>&) { announceRemoved({id}); });
}

void HistoryStore::clear()
{
    removeWhere({{kindKey, removeAllKind}});
}

void HistoryStore::prune(int olderThanDays, const QDateTime& now)
{
    const QDateTime cutoff = now.addSecs(-qint64(olderThanDays) * secondsPerDay);
    const auto old = [cutoff](const HistoryEntry& entry) { return entry.date < cutoff; };
    if (std::any_of(entries().begin(), entries().end(), old))
        removeWhere({{kindKey, removeOlderKind}, {cutoffKey, dateValue(cutoff)}});
}

void HistoryStore::removeWhere(const QJsonObject& change)
{
    records_.change(change, [this](const QList<HistoryEntry>& before, const QList<HistoryEntry>& after) {
        announceTaken(before, after);
    });
}

void HistoryStore::announceTaken(const QList<HistoryEntry>& before, const QList<HistoryEntry>& after) const
{
    QSet<QUuid> kept;
    for (const HistoryEntry& entry : after)
        kept.insert(entry.id);
    QList<QUuid> removed;
    for (const HistoryEntry& entry : before) {
        if (!kept.contains(entry.id))
            removed.append(entry.id);
    }
    announceRemoved(removed);
}

QList<HistoryEntry> HistoryStore::search(const QString& query, const std::optional<AppCategory>& category) const
{
    const QString folded = foldCaseAndDiacritics(query.trimmed());
    QList<HistoryEntry> found;
    for (const HistoryEntry& entry : entries()) {
        if (category && entry.appCategory() != *category)
            continue;
        if (folded.isEmpty() || containsFolded(entry.text, folded) || containsFolded(entry.raw, folded)
            || containsFolded(entry.appName, folded))
            found.append(entry);
    }
    return found;
}

void HistoryStore::announceRemoved(const QList<QUuid>& ids) const
{
    if (!onRemove)
        return;
    for (const QUuid& id : ids)
        onRemove(id);
}

QByteArray HistoryStore::encodeFile(const QList<HistoryEntry>& entries)
{
    QJsonArray array;
    for (const HistoryEntry& entry : entries) {
        QJsonObject object{
            {idKey, uuidText(entry.id)},
            {dateKey, dateValue(entry.date)},
            {rawKey, entry.raw},
            {textKey, entry.text},
        };
        writeOptional(object, bundleIDKey, entry.bundleID);
        writeOptional(object, appNameKey, entry.appName);
        writeOptional(object, styleKey, entry.style);
        writeOptional(object, categoryKey, entry.category);
        writeOptional(object, clipCodeKey, entry.clipCode);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<HistoryEntry>> HistoryStore::decodeFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<HistoryEntry> entries;
    for (const QJsonValue value : document.array()) {
        const QJsonObject object = value.toObject();
        const auto id = uuidFromText(object.value(idKey).toString());
        const auto date = dateFrom(object.value(dateKey));
        const QJsonValue raw = object.value(rawKey);
        const QJsonValue text = object.value(textKey);
        if (!value.isObject() || !id || !date || !raw.isString() || !text.isString())
            return std::nullopt;
        HistoryEntry entry(*id, QDateTime(), raw.toString(), text.toString());
        entry.date = *date;  // read as it stands: only new entries are cut to the second
        if (!readOptional(object, bundleIDKey, entry.bundleID) || !readOptional(object, appNameKey, entry.appName)
            || !readOptional(object, styleKey, entry.style) || !readOptional(object, categoryKey, entry.category)
            || !readOptional(object, clipCodeKey, entry.clipCode))
            return std::nullopt;
        entries.append(entry);
    }
    return entries;
}
