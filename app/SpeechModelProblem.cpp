#include "SpeechModelProblem.h"

namespace {

QString whatIsWrong(ModelHost::Problem problem)
{
    switch (problem) {
    case ModelHost::Problem::missing:
        return QStringLiteral("The speech model is missing");
    case ModelHost::Problem::damaged:
        return QStringLiteral("The speech model is damaged");
    case ModelHost::Problem::unloadable:
        break;
    }
    return QStringLiteral("The speech model couldn\u2019t load");
}

}

QString SpeechModelProblem::status(ModelHost::Problem problem)
{
    switch (problem) {
    case ModelHost::Problem::missing:
        return QStringLiteral("Speech model missing");
    case ModelHost::Problem::damaged:
        return QStringLiteral("Speech model damaged");
    case ModelHost::Problem::unloadable:
        break;
    }
    return QStringLiteral("Speech model couldn\u2019t load");
}

QString SpeechModelProblem::sentence(ModelHost::Problem problem, const std::optional<QString>& folder)
{
    if (folder)
        return whatIsWrong(problem) + QStringLiteral(". It comes from ") + *folder
               + QStringLiteral(" (QUILLMARSH_MODEL_DIR): put a whole model there, then choose Try again.");
    if (problem == ModelHost::Problem::unloadable)
        return whatIsWrong(problem) + QStringLiteral(". Choose Try again.");
    return whatIsWrong(problem) + QStringLiteral(". Choose Try again to download it anew.");
}
