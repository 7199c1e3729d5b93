#include "Main/Vocabulary/VocabularyList.h"

#include "Core/UuidText.h"
#include "Vocabulary/VocabularyStore.h"

void VocabularyList::setStore(VocabularyStore* store)
{
    if (follow(store_, store))
        emit storeChanged();
}

QString VocabularyList::countTitle() const
{
    const int words = count();
    if (words == 0)
        return QStringLiteral("YOUR WORDS");
    return QStringLiteral("%1 %2").arg(words).arg(words == 1 ? QStringLiteral("WORD") : QStringLiteral("WORDS"));
}

QList<QUuid> VocabularyList::currentIds() const
{
    QList<QUuid> ids;
    if (store_) {
        // The store appends, so its newest entry, shown first, is its last.
        for (auto entry = store_->entries().crbegin(); entry != store_->entries().crend(); ++entry)
            ids.append(entry->id);
    }
    return ids;
}

QVariant VocabularyList::data(const QModelIndex& index, int role) const
{
    const qsizetype entries = store_ ? store_->entries().size() : 0;
    if (!index.isValid() || index.row() >= entries)
        return {};
    const VocabularyEntry& entry = store_->entries().at(entries - 1 - index.row());
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
