#include "Formatting/DictationStyle.h"

namespace DictationStyles {

QString rawValue(DictationStyle style)
{
    switch (style) {
    case DictationStyle::asSpoken:
        return QStringLiteral("as_spoken");
    case DictationStyle::clean:
        return QStringLiteral("clean");
    case DictationStyle::formal:
        return QStringLiteral("formal");
    }
    return {};
}

std::optional<DictationStyle> fromRawValue(const QString& rawValue)
{
    for (const DictationStyle style : allCases) {
        if (DictationStyles::rawValue(style) == rawValue)
            return style;
    }
    return std::nullopt;
}

}
