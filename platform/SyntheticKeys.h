#pragma once
// The keystrokes this process posted, so the key monitor and the input watcher can tell them
// from the user's. X11 events carry no sender and every XTest event comes from the one XTest
// device, so a posted keystroke is recognised by its keycode, direction and how recently it was
// posted; each posting matches one event.

#include "Core/Clock.h"

#include <QList>

class SyntheticKeys {
public:
    // A posted keystroke not seen back within this time is forgotten.
    static constexpr Clock::Duration window = std::chrono::seconds(1);

    explicit SyntheticKeys(Clock& clock = Clock::system()) : clock_(clock) {}

    void posted(quint32 keycode, bool press);
    // True (and the posting used up) when the event is one we posted.
    bool takeIfOurs(quint32 keycode, bool press);

private:
    struct Posting {
        quint32 keycode;
        bool press;
        Clock::TimePoint at;
    };

    Clock& clock_;
    QList<Posting> postings_;
};
