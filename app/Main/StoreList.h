#pragma once
// Base of the lists that show a store's entries in QML. After each change of the store the list
// tells its views which single row went or came, so they can animate it; any other change reads
// the whole list again, which is cheap for lists this short.

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QUuid>

class StoreList : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return int(shown_.size()); }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count(); }
    // The row that shows entry `id`, or -1 when none does.
    Q_INVOKABLE int rowOf(const QString& id) const;

signals:
    void countChanged();

protected:
    // The identifiers of the entries as the list shows them, read from the store now.
    virtual QList<QUuid> currentIds() const = 0;
    // Shows `store` from now on, following its changes; false when it was shown already.
    template <typename Store>
    bool follow(QPointer<Store>& shown, Store* store)
    {
        if (shown == store)
            return false;
        if (shown)
            disconnect(shown, nullptr, this, nullptr);
        shown = store;
        if (store)
            connect(store, &Store::entriesChanged, this, &StoreList::reload);
        reload();
        return true;
    }

private:
    void reload();

    QList<QUuid> shown_;
};
