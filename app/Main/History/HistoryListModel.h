#pragma once
// The History page's list: the store's entries that pass the search and the category chip,
// newest first, with the day each starts, and which one the detail pane shows. Follows every
// change of the store at once.

#include "History/HistoryStore.h"

#include <QAbstractListModel>
#include <QDate>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class AppModel;

class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(AppModel* appModel READ appModel WRITE setAppModel NOTIFY appModelChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY filterChanged)
    // A category's raw value; empty means every category.
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY filterChanged)
    // The entry the user picked; it may be hidden by the filter.
    Q_PROPERTY(QString selected READ selected WRITE setSelected NOTIFY selectionChanged)
    // The entry the detail pane shows: the selection when it is listed, else the store's first result.
    Q_PROPERTY(QString current READ current NOTIFY selectionChanged)
    // The header of the newest day listed.
    Q_PROPERTY(QString firstDay READ firstDay NOTIFY resultsChanged)
    Q_PROPERTY(bool storeEmpty READ storeEmpty NOTIFY resultsChanged)
    Q_PROPERTY(QString emptyTitle READ emptyTitle NOTIFY resultsChanged)
    Q_PROPERTY(QString emptyMessage READ emptyMessage NOTIFY resultsChanged)
    // What the user should know about the history's file: a change that couldn't be saved, or a
    // damaged file kept aside at start; empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    enum Role { IdRole = Qt::UserRole + 1, DayRole, AppNameRole, TimeRole, TextRole, StyleRole, SymbolRole };

    explicit HistoryListModel(QObject* parent = nullptr);

    AppModel* appModel() const { return appModel_; }
    void setAppModel(AppModel* model);
    QString query() const { return query_; }
    void setQuery(const QString& query);
    QString category() const { return category_; }
    void setCategory(const QString& categoryRaw);
    QString selected() const { return selected_; }
    void setSelected(const QString& id);
    QString current() const;
    QString firstDay() const;
    bool storeEmpty() const;
    QString emptyTitle() const;
    QString emptyMessage() const;
    QString problem() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row that lists entry `id`, or -1 when none does.
    Q_INVOKABLE int rowOf(const QString& id) const;
    // Takes over the application's request to open on one entry, and withdraws the request.
    Q_INVOKABLE void takeOverSelection();
    Q_INVOKABLE void clearHistory();

    // "TODAY", "YESTERDAY", or the weekday, month and day in capitals.
    static QString dayTitle(const QDate& day, const QDate& today);

signals:
    void appModelChanged();
    void filterChanged();
    void selectionChanged();
    void resultsChanged();
    void problemChanged();

private:
    void reload();

    QPointer<AppModel> appModel_;
    QString query_;
    QString category_;
    QString selected_;
    QList<HistoryEntry> results_;
    QUuid firstResult_;  // the first result in the store's order, shown when nothing listed is selected
};
