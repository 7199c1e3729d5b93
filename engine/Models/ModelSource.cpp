#include "ModelSource.h"

#include "ModelInstallError.h"

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/')
           && !name.contains(u'\\') && !name.contains(QChar(0));
}

void requirePlainFileNames(const std::vector<ModelFile>& files)
{
    for (const ModelFile& file : files) {
        if (!isPlainFileName(file.name))
            throw ModelInstallError::copyFailed(QStringLiteral("unsafe file name in the model list: ") + file.name);
    }
}

std::vector<ModelFile> ModelSource::punctuationFiles(const Cancelled&)
{
    throw ModelInstallError::sourceMissing(QStringLiteral("the punctuation model"));
}

void ModelSource::fetchPunctuation(const ModelFile&, const QString&, const Progress&, const Cancelled&)
{
    throw ModelInstallError::sourceMissing(QStringLiteral("the punctuation model"));
}
