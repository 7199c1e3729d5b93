#include "LevelMeter.h"

#include <algorithm>

void LevelMeter::startSession()
{
    peak = std::max(floor * 6.0f, 0.03f);
}

float LevelMeter::normalize(float rms)
{
    // The floor falls fast towards quieter sound and rises very slowly with louder sound.
    if (rms < floor)
        floor = 0.8f * floor + 0.2f * rms;
    else
        floor = 0.9995f * floor + 0.0005f * rms;

    peak = std::max({rms, peak * 0.997f, floor * 6.0f, 0.008f});

    const float gate = floor * 1.6f;
    if (gate >= peak)
        return 0.0f;
    return std::clamp((rms - gate) / (peak - gate), 0.0f, 1.0f);
}
