#include "Formatting/DictationStyle.h"

#include "Core/RawValues.h"

namespace DictationStyles {

namespace {
constexpr auto rawValues = rawValueTable<DictationStyle>(
    {{DictationStyle::asSpoken, "as_spoken"}, {DictationStyle::clean, "clean"}, {DictationStyle::formal, "formal"}});
}

QString rawValue(DictationStyle style)
{
    return rawValues.rawValue(style);
}

std::optional<DictationStyle> fromRawValue(const QString& rawValue)
{
    return rawValues.value(rawValue);
}

}
