#pragma once
// The walk through one application's showing accessibles to the text element the keyboard is in.
// Breadth first, each round asks at once for the states of the accessibles found in the last one,
// for the children of those that showed and for the roles of those whose state said focused: one
// wait on the application per round, however many it asks about. An accessible that refuses has
// gone; an application that doesn't answer ends the walk undecided.
// A focused accessible that isn't text doesn't end it: a toolkit may mark a tab focused beside the
// field that has the keyboard (Qt 5 marks the current one), or a widget may publish no text.
// Without a focused text element, the first focused accessible that is neither text nor a tab
// stands for it, as the one the keyboard is in; a focused tab alone tells nothing.

#include "AtSpi/AtSpiCalls.h"
#include "AtSpi/AtSpiProtocol.h"

#include <optional>

struct AtSpiFocusWalk {
    std::optional<AtSpi::Node> focused;
    uint role = 0;  // the focused one's
    bool text = false;  // it is a text element, not one standing for it
    QString toolkit;  // the name the application gives its toolkit
    // It couldn't tell: unanswered, more than `budget` accessibles, a focused accessible without a
    // role, or a focused tab and no text element.
    bool undecided = false;

    // Looks through at most `budget` accessibles.
    static AtSpiFocusWalk through(const AtSpi::Node& app, const AtSpiCalls& calls, int budget);
};
