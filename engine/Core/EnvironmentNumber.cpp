#include "EnvironmentNumber.h"

#include "Settings.h"

#include <QRegularExpression>

#include <cmath>

namespace EnvironmentNumber {

std::optional<int32_t> integer(const char* name)
{
    static const QRegularExpression signedDigits(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    const std::optional<QString> text = Environment::value(name);
    if (!text || !signedDigits.match(*text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);  // fails beyond the 32-bit range
    return ok ? std::optional<int32_t>(value) : std::nullopt;
}

std::optional<double> finite(const char* name)
{
    const std::optional<QString> text = Environment::value(name);
    if (!text || text->trimmed() != *text)
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}
