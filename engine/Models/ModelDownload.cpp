#include "ModelDownload.h"

#include "Core/Settings.h"
#include "HTTPSModelSource.h"
#include "LocalCopySource.h"

namespace ModelDownloads {

QUrl defaultBase()
{
    return QUrl(QStringLiteral("https://models.quillmarsh.app/"));
}

QUrl base()
{
    QUrl configured(qEnvironmentVariable("QUILLMARSH_MODELS_URL"), QUrl::StrictMode);
    if (configured.isValid() && !configured.isEmpty())
        return configured;
    return defaultBase();
}

std::shared_ptr<ModelSource> source(ModelFamily family)
{
    if (Environment::contains("QUILLMARSH_MODEL_SOURCE") || family == ModelFamily::v2_1)
        return std::make_shared<LocalCopySource>();
    return std::make_shared<HTTPSModelSource>(base(), ModelFamily::v1, 6);
}

}
