#pragma once
// Why a kept recording couldn't be saved or read back.

#include "Core/Error.h"

class ClipError : public Error {
public:
    enum class Kind { encoding, missing };

    static ClipError encoding(const QString& reason)
    {
        return ClipError(Kind::encoding, QStringLiteral("Couldn\u2019t save the recording: ") + reason, reason);
    }
    static ClipError missing()
    {
        return ClipError(Kind::missing, QStringLiteral("The recording is no longer on this computer."), {});
    }

    Kind kind() const { return kind_; }
    // encoding only: why the file couldn't be written.
    const QString& reason() const { return reason_; }

    bool operator==(const ClipError& other) const { return kind_ == other.kind_ && reason_ == other.reason_; }

private:
    ClipError(Kind kind, const QString& description, QString reason)
        : Error(description), kind_(kind), reason_(std::move(reason))
    {
    }

    Kind kind_;
    QString reason_;
};
