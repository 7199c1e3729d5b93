#pragma once
// The snippet store's entries for a QML list, in the store's order.

#include "Main/StoreList.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

class SnippetStore;

class SnippetList : public StoreList {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SnippetStore* store READ store WRITE setStore NOTIFY storeChanged)

public:
    enum Role { idRole = Qt::UserRole + 1, triggerRole, textRole };

    using StoreList::StoreList;

    SnippetStore* store() const { return store_; }
    void setStore(SnippetStore* store);

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void storeChanged();

protected:
    QList<QUuid> currentIds() const override;

private:
    QPointer<SnippetStore> store_;
};
