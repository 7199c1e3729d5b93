#pragma once
// Whether the user typed or clicked since a moment (the paste), so an improvement arriving later
// never overwrites what the user did meanwhile. Our own keystrokes never reach it.

#include "RawInput.h"

class InputWatcher : public QObject {
    Q_OBJECT
public:
    explicit InputWatcher(RawInput& input, QObject* parent = nullptr);

    // Starts watching afresh.
    void arm() { acted_ = false; }
    bool userActed() const { return acted_; }

private:
    bool acted_ = false;
};
