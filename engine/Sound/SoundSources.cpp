#include "Sound/SoundSources.h"

#include <pulse/introspect.h>

bool SoundSources::isMicrophone(const pa_source_info& source)
{
    return source.monitor_of_sink == PA_INVALID_INDEX;
}
