#include "Main/Snippets/SnippetList.h"

#include "Core/UuidText.h"
#include "Snippets/SnippetStore.h"

void SnippetList::setStore(SnippetStore* store)
{
    if (follow(store_, store))
        emit storeChanged();
}

QList<QUuid> SnippetList::currentIds() const
{
    QList<QUuid> ids;
    if (store_) {
        for (const Snippet& snippet : store_->entries())
            ids.append(snippet.id);
    }
    return ids;
}

QVariant SnippetList::data(const QModelIndex& index, int role) const
{
    if (!store_ || !index.isValid() || index.row() >= store_->entries().size())
        return {};
    const Snippet& snippet = store_->entries().at(index.row());
    switch (role) {
    case idRole:
        return uuidText(snippet.id);
    case triggerRole:
        return snippet.trigger;
    case textRole:
        return snippet.text;
    default:
        return {};
    }
}

QHash<int, QByteArray> SnippetList::roleNames() const
{
    return {{idRole, "snippetId"}, {triggerRole, "trigger"}, {textRole, "text"}};
}
