#include "Main/StoreList.h"

void StoreList::reload()
{
    beginResetModel();
    endResetModel();
    emit countChanged();
}
