#pragma once
// The speech and formatting servers as configured: each setting from its environment variable,
// the user's settings or the built-in configuration, in that order. A setting that is not valid
// is logged and treated as absent.

#include "Cloud/CloudConfig.h"
#include "Formatting/FormatConfig.h"

#include <optional>

class Settings;

namespace CloudSettings {
// "QUILLMARSH_CLOUD_URL" / "cloudURL" / "QuillmarshServerURL", with "QUILLMARSH_SERVER_TOKEN" /
// "cloudToken". Nothing when no address is set or it is not valid ("speech server setting
// ignored: " and why).
std::optional<CloudConfig> load(const Settings& settings);
// "QUILLMARSH_SERVER_TOKEN" / "cloudToken" as they are now.
std::optional<QString> token(const Settings& settings);
}

namespace FormatSettings {
// "QUILLMARSH_FORMAT_URL" / "formatURL", with "formatToken" (else the speech server's token);
// without an address of its own, the formatting endpoint on the speech server's host. Nothing
// when neither gives a valid address ("formatting setting ignored: " and why).
std::optional<FormatConfig> load(const Settings& settings, const std::optional<CloudConfig>& cloud);
// "formatToken", else the speech server's token, as they are now.
std::optional<QString> token(const Settings& settings);
}
