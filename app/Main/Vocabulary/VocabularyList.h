#pragma once
// The vocabulary's entries for a QML list, newest first, with the count header's text.

#include "Main/StoreList.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

class VocabularyStore;

class VocabularyList : public StoreList {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(VocabularyStore* store READ store WRITE setStore NOTIFY storeChanged)
    // "YOUR WORDS" while empty, else "1 WORD", "2 WORDS", ...
    Q_PROPERTY(QString countTitle READ countTitle NOTIFY countChanged)

public:
    enum Role { idRole = Qt::UserRole + 1, textRole };

    using StoreList::StoreList;

    VocabularyStore* store() const { return store_; }
    void setStore(VocabularyStore* store);
    QString countTitle() const;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void storeChanged();

protected:
    QList<QUuid> currentIds() const override;

private:
    QPointer<VocabularyStore> store_;
};
