#pragma once
// The system's one diagnostic channel: each message goes to the system log (standard error,
// which the journal collects) and is appended, time-stamped, to the log file.

#include <QString>

namespace Log {
// Callable from any thread; never fails. Lines reach the file in the order of the calls.
void info(const QString& message);
// Waits until every line posted so far has been written.
void flush();
}
