#pragma once
// Numbers read from environment variables, refused (nothing) unless the whole value is one.

#include <cstdint>
#include <optional>

namespace EnvironmentNumber {
// An optional sign and decimal digits only, within the 32-bit signed range.
std::optional<int32_t> integer(const char* name);
// A decimal floating-point number; infinities and not-a-number are refused.
std::optional<double> finite(const char* name);
}
