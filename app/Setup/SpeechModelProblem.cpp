#include "SpeechModelProblem.h"

namespace {

struct Words {
    QString status;
    QString whatIsWrong;
};

Words wordsFor(ModelHost::Problem problem)
{
    switch (problem) {
    case ModelHost::Problem::missing:
        return {QStringLiteral("Speech model missing"), QStringLiteral("The speech model is missing")};
    case ModelHost::Problem::damaged:
        return {QStringLiteral("Speech model damaged"), QStringLiteral("The speech model is damaged")};
    case ModelHost::Problem::unloadable:
        break;
    }
    return {QStringLiteral("Speech model couldn\u2019t load"), QStringLiteral("The speech model couldn\u2019t load")};
}

}

QString SpeechModelProblem::status(ModelHost::Problem problem)
{
    return wordsFor(problem).status;
}

QString SpeechModelProblem::sentence(ModelHost::Problem problem, const std::optional<QString>& folder)
{
    const QString whatIsWrong = wordsFor(problem).whatIsWrong;
    if (folder)
        return whatIsWrong + QStringLiteral(". It comes from ") + *folder
               + QStringLiteral(" (QUILLMARSH_MODEL_DIR): put a whole model there, then choose Try again.");
    if (problem == ModelHost::Problem::unloadable)
        return whatIsWrong + QStringLiteral(". Choose Try again.");
    return whatIsWrong + QStringLiteral(". Choose Try again to download it anew.");
}
