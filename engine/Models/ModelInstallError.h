#pragma once
// The failures of fetching and installing a model, each with the sentence shown to the user.

#include "Core/Error.h"

#include <QString>
#include <QtGlobal>

class ModelInstallError : public Error {
public:
    enum class Kind { noSpace, sourceMissing, copyFailed, verifyFailed, cancelled };

    static ModelInstallError noSpace(qint64 needed, qint64 available);
    // `what` names what is missing (a path, or an entry of the model list).
    static ModelInstallError sourceMissing(const QString& what);
    static ModelInstallError copyFailed(const QString& cause);
    static ModelInstallError verifyFailed(const QString& fileName);
    static ModelInstallError cancelled();

    Kind kind() const { return kind_; }
    qint64 needed() const { return needed_; }
    qint64 available() const { return available_; }
    // The text payload: what is missing, the cause, or the file name.
    const QString& detail() const { return detail_; }

    bool operator==(const ModelInstallError& other) const
    {
        return kind_ == other.kind_ && needed_ == other.needed_ && available_ == other.available_
               && detail_ == other.detail_;
    }

private:
    ModelInstallError(Kind kind, const QString& description, QString detail, qint64 needed = 0, qint64 available = 0);

    Kind kind_;
    QString detail_;
    qint64 needed_;
    qint64 available_;
};
