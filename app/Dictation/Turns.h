#pragma once
// Work that gets ready in any order but runs in the order its turns were taken, each piece once
// the one before it has said it is done, which may be long after its call returned. Main thread
// only.

#include "Core/Lifeline.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>

class Turns {
public:
    using Turn = quint64;
    // Ends a turn; calls after the first are ignored.
    using Done = std::function<void()>;

    Turns() = default;
    Turns(const Turns&) = delete;
    Turns& operator=(const Turns&) = delete;

    // The next turn in line.
    Turn take() { return taken_++; }
    // Runs `work` once every earlier turn is done: at once when they are.
    void when(Turn turn, std::function<void(Done)> work);

private:
    void runWhatIsDue();

    Turn taken_ = 0;
    Turn current_ = 0;  // the turn that runs or runs next
    bool running_ = false;  // the current turn's work has started and isn't done
    bool dispatching_ = false;
    std::map<Turn, std::function<void(Done)>> ready_;
    // A turn's Done may be called after we are gone; it reaches us through this.
    const Lifeline<Turns> self_{this};
};
