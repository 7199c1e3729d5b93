#include "SavesAtQuit.h"

void finishSavesAtQuit(std::initializer_list<SavesAtQuit*> stores, std::chrono::steady_clock::duration bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (SavesAtQuit* store : stores)
        store->giveUpAt(deadline);
    for (SavesAtQuit* store : stores)
        store->finish();
}
