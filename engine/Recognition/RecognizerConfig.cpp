#include "RecognizerConfig.h"

#include "Core/EnvironmentNumber.h"
#include "Core/Settings.h"
#include "Models/ModelStore.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString modelDirFor(ModelPackage package)
{
    if (auto path = Environment::value("QUILLMARSH_MODEL_DIR"))
        return Environment::expandTilde(*path);
    if (ModelStore::isInstalled(package))
        return ModelStore::directory(package);
    return package.directory();
}

// Longer tails only delay the final text; past a minute a value is a typo, and anything that
// isn't a finite non-negative number would break the sample count.
constexpr double longestTailSeconds = 60.0;

}

RecognizerConfig::RecognizerConfig(ModelPackage package) : RecognizerConfig(modelDirFor(package)) {}

RecognizerConfig::RecognizerConfig(QString folder) : modelDir(std::move(folder))
{
    const std::optional<double> tail = EnvironmentNumber::finite("QUILLMARSH_TAIL_SECONDS");
    if (tail && *tail >= 0.0 && *tail <= longestTailSeconds)
        tailSeconds = *tail;
    else
        tailSeconds = QFileInfo(QDir::cleanPath(modelDir)).fileName() == QLatin1String("320ms") ? 0.8 : 2.0;

    const std::optional<int32_t> threadCount = EnvironmentNumber::integer("QUILLMARSH_THREADS");
    if (threadCount && *threadCount >= 1 && *threadCount <= mostThreads)
        threads = *threadCount;
}

QString RecognizerConfig::defaultModelDir()
{
    return modelDirFor(defaultPackage);
}
