#include "ModelPackage.h"

#include "ModelFamily.h"

#include <QDir>

std::optional<ModelPackage> ModelPackage::fromRawValue(const QString& rawValue)
{
    for (ModelPackage package : all) {
        if (package.rawValue() == rawValue)
            return package;
    }
    return std::nullopt;
}

QString ModelPackage::rawValue() const
{
    return value_ == accurate ? QStringLiteral("1120ms") : QStringLiteral("320ms");
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
