#pragma once
// One dictation from its key-down to its records, a value of its own: a dictation begun meanwhile
// changes nothing of where its text goes, how it is pasted, or what is kept of it.

#include "Core/Clock.h"
#include "DesktopWindows.h"
#include "FocusLookup.h"
#include "Formatting/DictationStyle.h"
#include "Inserter.h"
#include "Turns.h"

#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

struct Dictation {
    Dictation(quint64 counted, std::optional<DesktopWindow> frontWindow, FocusedText& focused, Clock& clock)
        : number(counted), front(std::move(frontWindow)), focus(focused, clock), keyDownAt(clock.now())
    {
    }

    // The front window's application and title, when known.
    std::optional<QString> appID() const
    {
        return front && !front->desktopId.isEmpty() ? std::optional(front->desktopId) : std::nullopt;
    }
    std::optional<QString> title() const { return front ? std::optional(front->title) : std::nullopt; }

    const quint64 number;  // counts the dictations begun
    std::optional<DesktopWindow> front;  // where the text goes: the front window
    FocusLookup focus;  // and its focused element
    const Clock::TimePoint keyDownAt;

    // From the final text on: what was heard, and the turns its paste and its records take.
    QString raw;
    double speechSeconds = 0;
    std::optional<QString> inputLoss;  // why the microphone stopped before the user let go
    std::vector<float> audio;
    Turns::Turn pasteTurn = 0;
    Turns::Turn recordTurn = 0;

    // From the paste on: what was inserted, how, and what became of it.
    QString inserted;
    Inserter::Result result = Inserter::Result::failed;
    std::optional<Inserter::Uptake> uptake;  // what became of the pasted text
    std::optional<FocusLookup::Privacy> privacy;
    QUuid entry;  // its history entry, when one may be kept
    std::optional<DictationStyle> improveAs;  // the style its text may be improved in
};
