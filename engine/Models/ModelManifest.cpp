#include "ModelManifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// JSON numbers arrive as doubles: an integer must have no fraction and fit the exact range.
std::optional<qint64> integer(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    constexpr double exactLimit = 9007199254740992.0;  // 2^53
    if (std::trunc(number) != number || std::fabs(number) > exactLimit)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<ModelManifest::Package> package(const QJsonValue& value)
{
    const QJsonValue files = value.toObject().value(QLatin1String("files"));
    if (!value.isObject() || !files.isArray())
        return std::nullopt;
    ModelManifest::Package result;
    for (const QJsonValue entry : files.toArray()) {
        const QJsonObject object = entry.toObject();
        const QJsonValue name = object.value(QLatin1String("name"));
        const QJsonValue sha256 = object.value(QLatin1String("sha256"));
        const QJsonValue blob = object.value(QLatin1String("blob"));
        const std::optional<qint64> size = integer(object.value(QLatin1String("size")));
        if (!entry.isObject() || !name.isString() || !sha256.isString() || !blob.isString() || !size || *size < 0)
            return std::nullopt;
        result.files.push_back({name.toString(), *size, sha256.toString(), blob.toString()});
    }
    return result;
}

}

std::optional<ModelManifest> ModelManifest::decoded(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    const std::optional<qint64> schema = integer(top.value(QLatin1String("schema")));
    const QJsonValue families = top.value(QLatin1String("families"));
    if (!schema || !families.isObject())
        return std::nullopt;

    ModelManifest manifest;
    manifest.schema = *schema;
    const QJsonObject familyObject = families.toObject();
    for (auto family = familyObject.begin(); family != familyObject.end(); ++family) {
        const QJsonValue packages = family.value().toObject().value(QLatin1String("packages"));
        if (!family.value().isObject() || !packages.isObject())
            return std::nullopt;
        Family decodedFamily;
        const QJsonObject packageObject = packages.toObject();
        for (auto entry = packageObject.begin(); entry != packageObject.end(); ++entry) {
            std::optional<Package> decodedPackage = package(entry.value());
            if (!decodedPackage)
                return std::nullopt;
            decodedFamily.packages.insert(entry.key(), *decodedPackage);
        }
        manifest.families.insert(family.key(), decodedFamily);
    }
    if (const QJsonValue punctuation = top.value(QLatin1String("punctuation"));
        !punctuation.isUndefined() && !punctuation.isNull()) {
        manifest.punctuation = package(punctuation);
        if (!manifest.punctuation)
            return std::nullopt;
    }
    return manifest;
}
