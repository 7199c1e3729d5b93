#include "ModelFileHelpers.h"

#include "Models/ModelInstallError.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

QString sha256Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray patternBytes(qint64 size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2166136261u + static_cast<quint32>(seed);
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const ModelInstallError& error, std::ostream* out)
{
    *out << "ModelInstallError(" << error.description().toStdString() << ')';
}

ModelInstallError installErrorOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const ModelInstallError& error) {
        return error;
    }
    ADD_FAILURE() << "no ModelInstallError thrown";
    return ModelInstallError::cancelled();
}
