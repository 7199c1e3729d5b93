#include "FocusLookup.h"

#include "Core/Log.h"

FocusLookup::FocusLookup(FocusedText& focus, Clock& clock) : focus_(focus), clock_(clock) {}

FocusLookup::~FocusLookup()
{
    if (late_)
        late_->cancel();
}

void FocusLookup::find(qint64 pid)
{
    element_.reset();
    searching_ = true;
    focus_.find(pid,
                [self = std::weak_ptr<FocusLookup*>(self_), search = ++searches_](std::optional<FocusedElement> found) {
                    const auto alive = self.lock();
                    if (!alive || search != (*alive)->searches_)
                        return;
                    (*alive)->element_ = std::move(found);
                    (*alive)->known();
                });
}

void FocusLookup::whenKnown(std::function<void()> then)
{
    if (!searching_) {
        then();
        return;
    }
    waiting_ = std::move(then);
    if (!late_) {
        late_ = clock_.schedule(bound, [this] {
            Log::info(QStringLiteral("the focused element isn't known: its application didn't answer"));
            known();
        });
    }
}

void FocusLookup::known()
{
    searching_ = false;
    if (late_)
        late_->cancel();
    late_.reset();
    if (waiting_)
        std::exchange(waiting_, nullptr)();
}
