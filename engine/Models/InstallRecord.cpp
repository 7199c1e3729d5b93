#include "InstallRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Seconds from 1970-01-01 to 2001-01-01, both UTC.
constexpr double referenceDateOffset = 978307200.0;

std::optional<int64_t> wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Beyond 2^53 a double no longer tells neighbouring integers apart; no file is that large.
    if (!std::isfinite(number) || number != std::trunc(number) || std::fabs(number) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<int64_t>(number);
}

}

QByteArray InstallRecord::encoded() const
{
    QJsonArray fileArray;
    for (const File& file : files) {
        fileArray.append(QJsonObject{{QStringLiteral("name"), file.name},
                                     {QStringLiteral("size"), static_cast<qint64>(file.size)},
                                     {QStringLiteral("sha256"), file.sha256}});
    }
    const QJsonObject object{
        {QStringLiteral("package"), package},
        {QStringLiteral("source"), source},
        {QStringLiteral("installedAt"), installedAt.toMSecsSinceEpoch() / 1000.0 - referenceDateOffset},
        {QStringLiteral("files"), fileArray},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<InstallRecord> InstallRecord::decoded(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue package = object.value(QStringLiteral("package"));
    const QJsonValue source = object.value(QStringLiteral("source"));
    const QJsonValue installedAt = object.value(QStringLiteral("installedAt"));
    const QJsonValue files = object.value(QStringLiteral("files"));
    if (!package.isString() || !source.isString() || !installedAt.isDouble() || !files.isArray())
        return std::nullopt;
    const double secondsSince1970 = installedAt.toDouble() + referenceDateOffset;
    if (!std::isfinite(secondsSince1970) || std::fabs(secondsSince1970) > 1e14)
        return std::nullopt;

    InstallRecord record;
    record.package = package.toString();
    record.source = source.toString();
    record.installedAt = QDateTime::fromMSecsSinceEpoch(std::llround(secondsSince1970 * 1000.0), Qt::UTC);
    for (const QJsonValue entry : files.toArray()) {
        if (!entry.isObject())
            return std::nullopt;
        const QJsonObject fileObject = entry.toObject();
        const QJsonValue name = fileObject.value(QStringLiteral("name"));
        const QJsonValue sha256 = fileObject.value(QStringLiteral("sha256"));
        const std::optional<int64_t> size = wholeNumber(fileObject.value(QStringLiteral("size")));
        if (!name.isString() || !sha256.isString() || !size)
            return std::nullopt;
        record.files.append(File{name.toString(), *size, sha256.toString()});
    }
    return record;
}
