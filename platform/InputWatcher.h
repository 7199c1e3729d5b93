#pragma once
// Whether the user typed or clicked since a moment (the paste), so an improvement arriving later
// never overwrites what the user did meanwhile. Our own keystrokes never reach it.

#include "RawInput.h"

class InputWatcher : public QObject {
    Q_OBJECT
public:
    explicit InputWatcher(RawInput& input, QObject* parent = nullptr);

    // Starts watching afresh.
    void arm() { acted_ = typed_ = false; }
    // A key or a button was pressed since arm().
    bool userActed() const { return acted_; }
    // A key was pressed since arm().
    bool userTyped() const { return typed_; }

signals:
    // The user pressed a key.
    void typed();

private:
    bool acted_ = false;
    bool typed_ = false;
};
