#pragma once
// The speech runtime's helper threads spin on a processor for a while after every call, waiting
// for the next one: after the last decode of a dictation, just when the application receiving
// the words needs a processor, and after every keep-warm run. They run at a low ordinary
// priority, so that spinning yields to the user's applications; not at idle priority, under
// which a machine whose every core is busy (a build, a video) would barely run them, and the
// user would wait for a dictation's text for several times as long.

#include <functional>

namespace HelperThreads {

// The niceness they run at: ordinary work (nice 0) gets about ten times their share of a
// processor, a background job at nice 19 about a seventh of it.
constexpr int niceness = 10;

// Calls `start` and moves every thread it started to the helpers' niceness: the threads that
// appeared meanwhile bearing this thread's name, which a new thread inherits until it names
// itself. Returns how many were moved.
int startedBy(const std::function<void()>& start);

}
