#include "Main/History/HistoryListModel.h"

#include "Core/UuidText.h"
#include "Formatting/DictationStyle.h"
#include "Main/AppModel.h"
#include "Main/CategorySymbol.h"
#include "Main/DisplayText.h"

#include <algorithm>

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractListModel(parent) {}

void HistoryListModel::setAppModel(AppModel* model)
{
    // Given once, when the page is built; the page model outlives its pages.
    if (appModel_ || !model)
        return;
    appModel_ = model;
    connect(appModel_->history(), &HistoryStore::entriesChanged, this, &HistoryListModel::reload);
    connect(appModel_->history(), &HistoryStore::problemChanged, this, &HistoryListModel::problemChanged);
    connect(appModel_, &AppModel::historyEnabledChanged, this, &HistoryListModel::resultsChanged);
    emit appModelChanged();
    emit problemChanged();
    reload();
}

void HistoryListModel::setQuery(const QString& query)
{
    if (query_ == query)
        return;
    query_ = query;
    emit filterChanged();
    reload();
}

void HistoryListModel::setCategory(const QString& categoryRaw)
{
    if (category_ == categoryRaw)
        return;
    category_ = categoryRaw;
    emit filterChanged();
    reload();
}

void HistoryListModel::setSelected(const QString& id)
{
    if (selected_ == id)
        return;
    selected_ = id;
    emit selectionChanged();
}

QString HistoryListModel::current() const
{
    if (results_.isEmpty())
        return {};
    for (const HistoryEntry& entry : results_) {
        if (uuidText(entry.id) == selected_.toUpper())
            return selected_.toUpper();
    }
    return uuidText(firstResult_);
}

QString HistoryListModel::firstDay() const
{
    return results_.isEmpty() ? QString() : dayTitle(results_.first().date.toLocalTime().date(), QDate::currentDate());
}

bool HistoryListModel::storeEmpty() const
{
    return !appModel_ || appModel_->history()->entries().isEmpty();
}

QString HistoryListModel::emptyTitle() const
{
    if (storeEmpty())
        return appModel_ && !appModel_->historyEnabled() ? QStringLiteral("History is off")
                                                         : QStringLiteral("Nothing yet");
    return results_.isEmpty() ? QStringLiteral("No matches") : QString();
}

QString HistoryListModel::emptyMessage() const
{
    if (storeEmpty())
        return appModel_ && !appModel_->historyEnabled()
                   ? QStringLiteral("Turn it on in Settings and your dictations will be kept here, as text, on this "
                                    "computer only.")
                   : QStringLiteral("Dictate something and it appears here, with the words that Clean or Formal "
                                    "changed.");
    return results_.isEmpty() ? QStringLiteral("Nothing in your history matches that.") : QString();
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(results_.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= results_.size())
        return {};
    const HistoryEntry& entry = results_.at(index.row());
    const QDateTime local = entry.date.toLocalTime();
    switch (role) {
    case IdRole:
        return uuidText(entry.id);
    case DayRole:
        return dayTitle(local.date(), QDate::currentDate());
    case AppNameRole:
        return entry.appName.value_or(QStringLiteral("Unknown app"));
    case TimeRole:
        return DisplayText::time(entry.date);
    case TextRole:
        return entry.text;
    case StyleRole:
        return DictationStyles::fromRawValue(entry.style.value_or(QString())) ? *entry.style : QString();
    case SymbolRole:
        return categorySymbol(entry.appCategory());
    }
    return {};
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {{IdRole, "entryId"},     {DayRole, "day"},     {AppNameRole, "appName"}, {TimeRole, "time"},
            {TextRole, "entryText"}, {StyleRole, "style"}, {SymbolRole, "symbol"}};
}

int HistoryListModel::rowOf(const QString& id) const
{
    const auto listed = std::find_if(results_.begin(), results_.end(),
                                     [&](const HistoryEntry& entry) { return uuidText(entry.id) == id.toUpper(); });
    return listed == results_.end() ? -1 : int(listed - results_.begin());
}

void HistoryListModel::takeOverSelection()
{
    if (!appModel_ || appModel_->selectedHistory().isEmpty())
        return;
    setSelected(appModel_->selectedHistory());
    appModel_->setSelectedHistory(QString());
}

QString HistoryListModel::problem() const
{
    return appModel_ ? appModel_->history()->problem() : QString();
}

void HistoryListModel::clearHistory()
{
    if (appModel_)
        appModel_->history()->clear();
}

QString HistoryListModel::dayTitle(const QDate& day, const QDate& today)
{
    if (day == today)
        return QStringLiteral("TODAY");
    if (day == today.addDays(-1))
        return QStringLiteral("YESTERDAY");
    return DisplayText::locale().toUpper(DisplayText::day(day, DisplayText::DayForm::abbreviatedMonth));
}

void HistoryListModel::reload()
{
    beginResetModel();
    results_.clear();
    if (appModel_) {
        const auto category = category_.isEmpty() ? std::nullopt : AppCategories::fromRawValue(category_);
        results_ = appModel_->history()->search(query_, category);
        firstResult_ = results_.isEmpty() ? QUuid() : results_.first().id;
        // Listed by day, newest day first; within a day in the store's order.
        std::stable_sort(results_.begin(), results_.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
            return a.date.toLocalTime().date() > b.date.toLocalTime().date();
        });
    }
    endResetModel();
    emit resultsChanged();
    emit selectionChanged();
}
