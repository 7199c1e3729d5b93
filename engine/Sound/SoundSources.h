#pragma once
// Which of the sound server's sources may be recorded as the user's microphone. A monitor replays
// what an output plays (the speakers): recording it would type, keep and send whatever the
// computer says, so it is no microphone, whatever the server makes its default.

struct pa_source_info;

namespace SoundSources {
bool isMicrophone(const pa_source_info& source);
}
