#include "InputWatcher.h"

InputWatcher::InputWatcher(RawInput& input, QObject* parent) : QObject(parent)
{
    connect(&input, &RawInput::key, this, [this](const RawKey& key) {
        if (!key.press)
            return;
        acted_ = typed_ = true;
        emit typed();
    });
    connect(&input, &RawInput::button, this, [this] { acted_ = true; });
}
