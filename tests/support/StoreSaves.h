#pragma once
// Waiting, on the main thread's event loop, for what a store saves on its queue.

#include "TestSupport.h"

// Whether every change of the store was saved before the time was up.
template <typename Store>
bool allSaved(const Store& store)
{
    return waitUntil([&] { return store.unsavedChanges() == 0; });
}
