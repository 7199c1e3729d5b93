#include "FocusLookup.h"

#include "Core/Log.h"

namespace {
FocusLookup::Privacy privacyOf(const FocusAnswer& answer)
{
    if (answer.element) {
        if (answer.element->password) {
            Log::info(QStringLiteral("dictation neither kept nor sent: the focused element is a password field"));
            return FocusLookup::Privacy::password;
        }
        Log::info(QStringLiteral("dictation may be kept and sent: the focused element isn't a password field"));
        return FocusLookup::Privacy::open;
    }
    if (answer.unanswered) {
        Log::info(QStringLiteral("dictation neither kept nor sent: the application didn't say what its focused element "
                                 "is, it may be a password field"));
        return FocusLookup::Privacy::unknown;
    }
    Log::info(QStringLiteral("dictation may be kept and sent: the application publishes no focused element"));
    return FocusLookup::Privacy::open;
}
}

FocusLookup::FocusLookup(FocusedText& focus, Clock& clock) : focus_(focus), clock_(clock) {}

void FocusLookup::find(qint64 pid)
{
    auto search = std::make_shared<Search>();
    search_ = search;
    focus_.find(pid, self_.whileAlive([search](FocusAnswer answer) {
        search->answer = std::move(answer);
        for (const std::function<void()>& then : std::exchange(search->waiting, {}))
            then();
    }));
}

std::optional<FocusedElement> FocusLookup::element() const
{
    return search_->answer ? search_->answer->element : std::nullopt;
}

void FocusLookup::await(const std::shared_ptr<Search>& search, Clock::Duration within,
                        std::function<void(bool answered)> then)
{
    if (search->answer) {
        then(true);
        return;
    }
    // Whichever comes first, the answer or the bound, runs `then`; both run on the main thread.
    auto pending = std::make_shared<std::function<void(bool)>>(std::move(then));
    const std::shared_ptr<ScheduledWork> late = clock_.schedule(within, self_.whileAlive([pending] {
        if (*pending)
            std::exchange(*pending, nullptr)(false);
    }));
    search->waiting.push_back([pending, late] {
        late->cancel();
        if (*pending)
            std::exchange(*pending, nullptr)(true);
    });
}

void FocusLookup::whenKnown(std::function<void()> then)
{
    await(search_, bound, [then = std::move(then)](bool answered) {
        if (!answered)
            Log::info(QStringLiteral("the focused element isn't known: its application didn't answer"));
        then();
    });
}

void FocusLookup::whenDecided(std::function<void(Privacy)> then)
{
    await(search_, decisionBound, [search = search_, then = std::move(then)](bool answered) {
        if (answered) {
            then(privacyOf(*search->answer));
            return;
        }
        Log::info(QStringLiteral("dictation neither kept nor sent: the focused element's application didn't answer "
                                 "within %1 s, it may be a password field")
                      .arg(std::chrono::duration<double>(decisionBound).count()));
        then(Privacy::unknown);
    });
}
