#pragma once
// Turns the raw level of each audio block into a display level between 0 and 1 that follows the
// speaker's loudness and ignores the room's noise. Used on the main thread only.

struct LevelMeter {
    float floor = 0.004f;  // estimated noise floor (a root mean square level)
    float peak = 0.03f;  // the decaying loudest level

    // A dictation starts: the peak restarts just above the noise.
    void startSession();
    // Takes a block's root mean square level; returns the display level, 0 to 1.
    float normalize(float rms);
};
