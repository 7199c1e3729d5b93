#include "ModelInstallError.h"

#include <cstdio>

namespace {
// The C library's rounding (halves to even), as the platform's formatter does.
QString gigabytes(qint64 bytes)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1073741824.0);
    return QString::fromLatin1(text);
}
}

ModelInstallError::ModelInstallError(Kind kind, const QString& description, QString detail, qint64 needed,
                                     qint64 available)
    : Error(description), kind_(kind), detail_(std::move(detail)), needed_(needed), available_(available)
{
}

ModelInstallError ModelInstallError::noSpace(qint64 needed, qint64 available)
{
    return ModelInstallError(Kind::noSpace,
                             QStringLiteral("Not enough disk space: the model needs ") + gigabytes(needed)
                                 + QStringLiteral(", ") + gigabytes(available) + QStringLiteral(" is free."),
                             {}, needed, available);
}

ModelInstallError ModelInstallError::sourceMissing(const QString& what)
{
    return ModelInstallError(Kind::sourceMissing,
                             QStringLiteral("The model files weren't found (") + what + QStringLiteral(")."), what);
}

ModelInstallError ModelInstallError::copyFailed(const QString& cause)
{
    return ModelInstallError(Kind::copyFailed, QStringLiteral("Copying the model failed: ") + cause, cause);
}

ModelInstallError ModelInstallError::verifyFailed(const QString& fileName)
{
    return ModelInstallError(Kind::verifyFailed,
                             fileName + QStringLiteral(" didn't match after copying. It will be copied again."),
                             fileName);
}

ModelInstallError ModelInstallError::cancelled()
{
    return ModelInstallError(Kind::cancelled, QStringLiteral("Stopped."), {});
}
