#include "ModelPackage.h"

#include "Core/RawValues.h"
#include "ModelFamily.h"

#include <QDir>

namespace {
constexpr auto rawValues =
    rawValueTable<ModelPackage::Value>({{ModelPackage::accurate, "1120ms"}, {ModelPackage::fast, "320ms"}});
}

std::optional<ModelPackage> ModelPackage::fromRawValue(const QString& rawValue)
{
    const auto value = rawValues.value(rawValue);
    return value ? std::optional<ModelPackage>(*value) : std::nullopt;
}

QString ModelPackage::rawValue() const
{
    return rawValues.rawValue(value_);
}

QString ModelPackage::title() const
{
    return value_ == accurate ? QStringLiteral("1.12 s \u00B7 more accurate")
                              : QStringLiteral("0.32 s \u00B7 faster text");
}

double ModelPackage::tailSeconds() const
{
    return value_ == accurate ? 2.0 : 0.8;
}

QString ModelPackage::directory() const
{
    return QDir::homePath() + QStringLiteral("/quillmarsh-models/") + ModelFamily::current().exportFolder() + u'/'
           + rawValue();
}
