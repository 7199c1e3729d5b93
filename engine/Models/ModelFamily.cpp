#include "ModelFamily.h"

#include "Core/RawValues.h"
#include "Core/Settings.h"

namespace {
constexpr auto rawValues = rawValueTable<ModelFamily::Value>({{ModelFamily::v1, "v1"}, {ModelFamily::v2_1, "v2_1"}});
}

std::optional<ModelFamily> ModelFamily::fromRawValue(const QString& rawValue)
{
    const auto value = rawValues.value(rawValue);
    return value ? std::optional<ModelFamily>(*value) : std::nullopt;
}

ModelFamily ModelFamily::current()
{
    // A set variable decides even when empty: the user setting is then not consulted.
    const QString chosen = Environment::contains("QUILLMARSH_MODEL_FAMILY")
                               ? qEnvironmentVariable("QUILLMARSH_MODEL_FAMILY")
                               : Settings::shared().value(QStringLiteral("modelFamily")).toString();
    return chosen == QLatin1String("v2_1") ? v2_1 : v1;
}

QString ModelFamily::rawValue() const
{
    return rawValues.rawValue(value_);
}

QString ModelFamily::exportFolder() const
{
    return value_ == v1 ? QStringLiteral("sherpa_onnx_v1") : QStringLiteral("sherpa_onnx_v2_1");
}

bool ModelFamily::understandsEnglish() const
{
    return value_ == v2_1;
}

QString ModelFamily::storeName(ModelPackage package) const
{
    return value_ == v1 ? QStringLiteral("v1-") + package.rawValue() : package.rawValue();
}
