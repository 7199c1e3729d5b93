#pragma once
// What the desktop lets the application do: hear the microphone, and hear the dictation key and
// type into other windows (the desktop's assistive-technology switch). Each check can be
// replaced, so a test decides what the desktop answers.

#include <functional>

namespace Permissions {

using Check = std::function<bool()>;

// Granted when an input device exists (there is no prompt on this system).
bool microphone();
// The session's accessibility switch ("org.a11y.Status" "IsEnabled"); off when the bus has no answer.
bool accessibility();

// Replaces the checks (an empty one restores the desktop's).
void replace(Check microphoneCheck, Check accessibilityCheck);

}
