#pragma once
// Records the calls of a stream's finish completion, from any thread.

#include "TestSupport.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class Completion {
public:
    std::function<void(const QString&)> callback() const
    {
        return [state = state_](const QString& text) {
            std::lock_guard guard(state->lock);
            state->text = text;
            ++state->calls;
        };
    }

    int calls() const
    {
        std::lock_guard guard(state_->lock);
        return state_->calls;
    }
    std::optional<QString> text() const
    {
        std::lock_guard guard(state_->lock);
        return state_->text;
    }
    bool wait() const
    {
        return waitUntil([this] { return calls() > 0; });
    }

private:
    struct State {
        mutable std::mutex lock;
        std::optional<QString> text;
        int calls = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
