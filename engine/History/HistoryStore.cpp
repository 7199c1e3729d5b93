#include "History/HistoryStore.h"

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
    return text.normalized(QString::NormalizationForm_C) != raw.normalized(QString::NormalizationForm_C);
}

QString HistoryStore::defaultURL()
{
    if (const auto path = Environment::value("QUILLMARSH_HISTORY"))
        return Environment::expandTilde(*path);
    return AppFolders::data() + QStringLiteral("/history.json");
}

HistoryStore::HistoryStore(const QString& url, QObject* parent) : QObject(parent), url_(url)
{
    if (auto entries = readStoredFile(url_, QStringLiteral("history"), decodeFile))
        entries_ = std::move(*entries);
}

QUuid HistoryStore::add(const HistoryEntry& entry)
{
    entries_.prepend(entry);
    if (entries_.size() > maxEntries)
        entries_.remove(maxEntries, entries_.size() - maxEntries);
    emit entriesChanged();
    save();
    return entry.id;
}

void HistoryStore::improve(const QUuid& id, const QString& text, const std::optional<QString>& style)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const HistoryEntry& e) { return e.id == id; });
    if (it == entries_.end())
        return;
    it->text = text;
    if (style)
        it->style = style;
    emit entriesChanged();
    save();
}

void HistoryStore::setClipCode(const QUuid& id, const std::optional<QString>& code)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const HistoryEntry& e) { return e.id == id; });
    if (it == entries_.end())
        return;
    it->clipCode = code;
    emit entriesChanged();
    save();
}

void HistoryStore::remove(const QUuid& id)
{
    entries_.removeIf([&](const HistoryEntry& e) { return e.id == id; });
    emit entriesChanged();
    save();
    announceRemoved({id});
}

void HistoryStore::clear()
{
    QList<QUuid> ids;
    for (const HistoryEntry& entry : std::as_const(entries_))
        ids.append(entry.id);
    entries_.clear();
    emit entriesChanged();
    save();
    announceRemoved(ids);
}

void HistoryStore::prune(int olderThanDays, const QDateTime& now)
{
    const QDateTime cutoff = now.addSecs(-qint64(olderThanDays) * secondsPerDay);
    QList<QUuid> removed;
    for (const HistoryEntry& entry : std::as_const(entries_)) {
        if (entry.date < cutoff)
            removed.append(entry.id);
    }
    if (removed.isEmpty())
        return;
    entries_.removeIf([&](const HistoryEntry& e) { return e.date < cutoff; });
    emit entriesChanged();
    save();
    announceRemoved(removed);
}

QList<HistoryEntry> HistoryStore::search(const QString& query, const std::optional<AppCategory>& category) const
{
    const QString folded = foldCaseAndDiacritics(query.trimmed());
    QList<HistoryEntry> found;
    for (const HistoryEntry& entry : entries_) {
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
    for (const QJsonValue& value : document.array()) {
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

void HistoryStore::save() const
{
    // Private from the first byte: the temporary file is the user's alone before it is written.
    if (const auto failure = writeFileAtomically(url_, encodeFile(entries_), FileAccess::privateToUser))
        Log::info(QStringLiteral("could not save the history: ") + *failure);
}
