#include "Main/StoreList.h"

#include "Core/UuidText.h"

int StoreList::rowOf(const QString& id) const
{
    const auto uuid = uuidFromText(id);
    return uuid ? int(shown_.indexOf(*uuid)) : -1;
}

void StoreList::reload()
{
    const QList<QUuid> now = currentIds();
    const auto firstDifference = [&] {
        int row = 0;
        while (row < shown_.size() && row < now.size() && shown_.at(row) == now.at(row))
            ++row;
        return row;
    };
    const int row = firstDifference();
    if (now.size() == shown_.size() - 1 && shown_.mid(row + 1) == now.mid(row)) {
        beginRemoveRows({}, row, row);
        shown_ = now;
        endRemoveRows();
    } else if (now.size() == shown_.size() + 1 && shown_.mid(row) == now.mid(row + 1)) {
        beginInsertRows({}, row, row);
        shown_ = now;
        endInsertRows();
    } else {
        beginResetModel();
        shown_ = now;
        endResetModel();
    }
    emit countChanged();
}
