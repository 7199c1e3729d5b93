#pragma once
// A way back to an object for work that may run after it is gone: an answer from another thread
// or process, a timer. The work runs only while the object exists; the object's own thread runs it.

#include <memory>

template <typename Owner>
class Lifeline {
public:
    explicit Lifeline(Owner* owner) : owner_(std::make_shared<Owner*>(owner)) {}

    // The work, which does nothing once the owner is gone.
    template <typename Work>
    auto whileAlive(Work work) const
    {
        return [alive = weak(), work = std::move(work)](auto&&... arguments) {
            if (alive.lock())
                work(std::forward<decltype(arguments)>(arguments)...);
        };
    }
    // For work that asks for itself whether the owner is still there.
    std::weak_ptr<Owner*> weak() const { return owner_; }

private:
    const std::shared_ptr<Owner*> owner_;
};
