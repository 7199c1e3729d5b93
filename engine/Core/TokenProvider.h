#pragma once
// The bearer token for the speech and formatting servers, supplied by the application: the
// speech-server token from the settings when there is one, otherwise the signed-in account's
// access token, otherwise nothing. Callable from any thread.

#include <QString>

#include <functional>
#include <optional>

using TokenProvider = std::function<std::optional<QString>()>;
