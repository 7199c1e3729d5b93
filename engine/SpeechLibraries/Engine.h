#pragma once
// Versions of the speech libraries, read from the library at each call.

#include <QString>

namespace Engine {
QString sherpaVersion();
QString onnxRuntimeVersion();
}
