#pragma once
// The focused element of the window the text goes to, looked for without waiting on its
// application (which may be hung); what needs the answer waits for it, but no longer than bound.

#include "Core/Clock.h"
#include "FocusedText.h"

#include <functional>
#include <memory>
#include <optional>

class FocusLookup {
public:
    static constexpr Clock::Duration bound = std::chrono::milliseconds(250);

    FocusLookup(FocusedText& focus, Clock& clock);
    ~FocusLookup();
    FocusLookup(const FocusLookup&) = delete;
    FocusLookup& operator=(const FocusLookup&) = delete;

    // Forgets the element and looks for the one of the application with this process id.
    void find(qint64 pid);
    // What the last search found; nothing while it runs, or when it found nothing.
    const std::optional<FocusedElement>& element() const { return element_; }
    // Runs `then` once the last search has answered, or bound after this call if it hasn't.
    void whenKnown(std::function<void()> then);

private:
    void known();

    FocusedText& focus_;
    Clock& clock_;
    std::optional<FocusedElement> element_;
    bool searching_ = false;
    quint64 searches_ = 0;  // which search a late answer belongs to
    std::function<void()> waiting_;
    std::shared_ptr<ScheduledWork> late_;
    const std::shared_ptr<FocusLookup*> self_ = std::make_shared<FocusLookup*>(this);
};
