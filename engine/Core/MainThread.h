#pragma once
// Hands work to the main thread's event loop, the way results reach the user interface.

#include <functional>

void runOnMainThread(std::function<void()> work);
bool isMainThread();
