#pragma once
// The speech runtime's helper threads spin on a processor for a while after every call, waiting
// for the next one. Between the decode calls of a dictation that keeps processors busy which the
// application receiving the words needs just then. At idle priority the spinning takes only
// processor time nothing else wants; the calling thread still does the work when they can't.

#include <functional>

namespace IdlePriorityThreads {

// Calls `start` and moves every thread it started to idle priority: the threads that appeared
// meanwhile bearing this thread's name, which a new thread inherits until it names itself.
// Returns how many were moved.
int startedBy(const std::function<void()>& start);

}
