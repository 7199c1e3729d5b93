#pragma once
// The name of the default microphone, as the system calls it.

#include <QString>

namespace DeviceNames {
// "no microphone" when there is none.
QString microphone();
}
