#pragma once
// After every call the ONNX runtime's helper threads busy-wait for the next one, by default for
// tens of milliseconds. After the recogniser's finish that keeps processors busy just when the
// application receiving the words, the X server and our clipboard need them (the paste took
// three times as long as it could), and it is most of what the keep-warm job costs at idle.
// Sessions get a short wait instead: long enough to bridge the back-to-back calls of one decode,
// over before the pasted text is asked for. The speech library creates its sessions without
// letting us pass the runtime's settings, so the setting goes where every session's options are
// made: the runtime's own function that creates them.

namespace HelperThreadSpin {

// How long a helper thread waits for more work, in microseconds.
constexpr int microseconds = 1000;

// Every session created in this process from now on gets the short wait. Idempotent; false, with
// the reason logged, when it couldn't be set up (the sessions then wait as long as the runtime
// likes, nothing else changes).
bool limit();

}
