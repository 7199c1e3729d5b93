#include "Main/VocabularyList.h"

#include "Core/UuidText.h"
#include "VocabularyStore.h"

void VocabularyList::setStore(VocabularyStore* store)
{
    if (store_ == store)
        return;
    if (store_)
        disconnect(store_, nullptr, this, nullptr);
    store_ = store;
    if (store_)
        connect(store_, &VocabularyStore::entriesChanged, this, &VocabularyList::reload);
    reload();
    emit storeChanged();
}

QString VocabularyList::countTitle() const
{
    const int words = count();
    if (words == 0)
        return QStringLiteral("YOUR WORDS");
    return QStringLiteral("%1 %2").arg(words).arg(words == 1 ? QStringLiteral("WORD") : QStringLiteral("WORDS"));
}

int VocabularyList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !store_ ? 0 : int(store_->entries().size());
}

QVariant VocabularyList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    // The store appends, so the newest entry is its last.
    const VocabularyEntry& entry = store_->entries().at(rowCount() - 1 - index.row());
    switch (role) {
    case idRole:
        return uuidText(entry.id);
    case textRole:
        return entry.text;
    default:
        return {};
    }
}

QHash<int, QByteArray> VocabularyList::roleNames() const
{
    return {{idRole, "entryId"}, {textRole, "text"}};
}
