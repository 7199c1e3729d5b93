#pragma once
// The focused element of the window the text goes to, looked for without waiting on its
// application (which may be hung). The paste waits for the answer no longer than `bound`: the
// user wants the text in the field. What keeps or sends the text (the history entry, the
// recording, the formatting request, the improvement) waits longer, up to `decisionBound`, and
// takes an application that hasn't said by then what its element is for a password field.

#include "Core/Clock.h"
#include "Core/Lifeline.h"
#include "FocusedText.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FocusLookup {
public:
    static constexpr Clock::Duration bound = std::chrono::milliseconds(250);
    static constexpr Clock::Duration decisionBound = std::chrono::seconds(3);

    // Whether the dictated text may be kept and sent: not from a password field, nor from an
    // element whose application didn't say what it is.
    enum class Privacy { open, password, unknown };

    FocusLookup(FocusedText& focus, Clock& clock);
    FocusLookup(const FocusLookup&) = delete;
    FocusLookup& operator=(const FocusLookup&) = delete;

    // Forgets the element and looks for the one of the application with this process id.
    void find(qint64 pid);
    // What the last search found; nothing while it runs, or when it found nothing.
    std::optional<FocusedElement> element() const;
    // Whether the last search has answered, with an element or without.
    bool answered() const { return search_->answer.has_value(); }
    // Runs `then` once the last search has answered, or bound after this call if it hasn't.
    void whenKnown(std::function<void()> then);
    // Runs `then` with what the last search's answer allows, or with `unknown` decisionBound after
    // this call if it hasn't answered; logs the decision.
    void whenDecided(std::function<void(Privacy)> then);

private:
    struct Search {
        std::optional<FocusAnswer> answer;
        std::vector<std::function<void()>> waiting;  // run when the answer comes
    };
    // `then(true)` once the search has answered, or `then(false)` after `within`, whichever is first.
    void await(const std::shared_ptr<Search>& search, Clock::Duration within, std::function<void(bool answered)> then);

    FocusedText& focus_;
    Clock& clock_;
    std::shared_ptr<Search> search_ = std::make_shared<Search>(Search{FocusAnswer{}, {}});
    const Lifeline<FocusLookup> self_{this};
};
