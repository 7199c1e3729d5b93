#pragma once
// Base of the lists that show a store's entries in QML: the whole list is read again whenever the
// store announces a change, which is rare and cheap for lists this short.

#include <QAbstractListModel>

class StoreList : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return rowCount(); }

signals:
    void countChanged();

protected:
    // Connected to the store's change signal, and called after switching stores.
    void reload();
};
