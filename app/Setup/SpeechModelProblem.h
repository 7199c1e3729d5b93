#pragma once
// A speech model that can't be used, in words a user understands: what is wrong and the one thing
// to do about it. The library's own text goes to the log, never here.

#include "Recognition/ModelHost.h"

#include <QString>

#include <optional>

namespace SpeechModelProblem {

// The status line: "Speech model missing", "Speech model damaged", "Speech model couldn’t load".
QString status(ModelHost::Problem problem);
// The sentence with what to do: "Try again" fetches an installed model anew (or loads it again);
// a model loaded from the folder the environment names (`folder`) is put right there.
QString sentence(ModelHost::Problem problem, const std::optional<QString>& folder);

}
