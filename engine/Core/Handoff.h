#pragma once
// Items one thread hands to another: the giver adds them one at a time, the taker takes all there
// are, in their order.

#include <mutex>
#include <utility>
#include <vector>

template <typename Item>
class Handoff {
public:
    void give(Item item)
    {
        const std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
    }

    std::vector<Item> takeAll()
    {
        const std::lock_guard lock(mutex_);
        return std::exchange(items_, {});
    }

private:
    std::mutex mutex_;
    std::vector<Item> items_;
};
