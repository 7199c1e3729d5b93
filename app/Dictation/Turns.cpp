#include "Turns.h"

void Turns::when(Turn turn, std::function<void(Done)> work)
{
    ready_[turn] = std::move(work);
    runWhatIsDue();
}

void Turns::runWhatIsDue()
{
    // Work that is done at once ends its turn from inside this loop: the loop takes the next.
    if (dispatching_)
        return;
    dispatching_ = true;
    while (!running_) {
        const auto next = ready_.find(current_);
        if (next == ready_.end())
            break;
        std::function<void(Done)> work = std::move(next->second);
        ready_.erase(next);
        running_ = true;
        work(self_.whileAlive([this, turn = current_] {
            if (!running_ || current_ != turn)
                return;
            running_ = false;
            ++current_;
            runWhatIsDue();
        }));
    }
    dispatching_ = false;
}
