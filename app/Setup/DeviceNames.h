#pragma once
// The name of the microphone a dictation records from: the sound server's default input, as the
// desktop names it.

#include <QString>

namespace DeviceNames {
// "no microphone" when there is none, or before the server first answered.
QString microphone();
}
