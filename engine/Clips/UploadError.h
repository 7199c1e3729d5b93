#pragma once
// Why sharing or withdrawing a recording failed, in the sentence the user is shown.

#include "Core/Error.h"
#include "Core/HttpCall.h"

class UploadError : public Error {
public:
    enum class Kind { network, stalled, tooLong, refused, rateLimited, unavailable };

    static UploadError network(const QString& message)
    {
        return UploadError(Kind::network, QStringLiteral("No connection: ") + message, message);
    }
    // A request that got no usable answer: no connection, a transfer that stopped once under way,
    // or an answer too long to be one.
    static UploadError unanswered(const HttpFailure& failure)
    {
        if (failure.tooLong())
            return UploadError(Kind::tooLong, tooLongAnswerText(), failure.message);
        if (failure.stalled())
            return UploadError(Kind::stalled, QStringLiteral("The transfer stalled. Please try again."),
                               failure.message);
        return network(failure.message);
    }
    // The server's error code, or "error" when it gave none.
    static UploadError refused(const QString& code) { return UploadError(Kind::refused, refusal(code), code); }
    static UploadError rateLimited()
    {
        return UploadError(Kind::rateLimited,
                           QStringLiteral("You\u2019ve shared a lot today. Please try again tomorrow."), {});
    }
    static UploadError unavailable()
    {
        return UploadError(Kind::unavailable,
                           QStringLiteral("Sharing isn\u2019t available right now. Please try again later."), {});
    }

    Kind kind() const { return kind_; }
    // network: the transport's message; refused: the server's code.
    const QString& detail() const { return detail_; }

    bool operator==(const UploadError& other) const { return kind_ == other.kind_ && detail_ == other.detail_; }

private:
    UploadError(Kind kind, const QString& description, QString detail)
        : Error(description), kind_(kind), detail_(std::move(detail))
    {
    }

    static QString refusal(const QString& code)
    {
        if (code == QLatin1String("too_long") || code == QLatin1String("too_large"))
            return QStringLiteral("That recording is too long to share.");
        if (code == QLatin1String("too_short"))
            return QStringLiteral("That recording is too short to share.");
        if (code == QLatin1String("text_required"))
            return QStringLiteral("Type what you said.");
        if (code == QLatin1String("consent_required"))
            return QStringLiteral("Please tick the box to agree first.");
        return QStringLiteral("The server didn\u2019t accept that clip (") + code + QStringLiteral(").");
    }

    Kind kind_;
    QString detail_;
};
