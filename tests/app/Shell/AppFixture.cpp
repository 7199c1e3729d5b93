#include "AppFixture.h"

#include "Core/Settings.h"
#include "Shell/AppDelegate.h"

#include <QDir>

AppFixture::AppFixture(const std::function<void(Settings&)>& prepare)
{
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        qputenv(name, folder_.filePath(QString::fromLatin1(name)).toLocal8Bit());
    const QString modelSource = folder_.filePath(QStringLiteral("model-source"));
    QDir().mkpath(modelSource);
    qputenv("QUILLMARSH_MODEL_SOURCE", modelSource.toLocal8Bit());
    // The punctuation model's host: a closed port on this machine.
    qputenv("QUILLMARSH_MODELS_URL", "http://127.0.0.1:1/");
    for (const char* name : {"QUILLMARSH_CLOUD_URL", "QUILLMARSH_FORMAT_URL", "QUILLMARSH_SERVER_TOKEN",
                             "QUILLMARSH_MODEL_DIR", "QUILLMARSH_HISTORY", "QUILLMARSH_STATS", "QUILLMARSH_CLIPS"})
        qunsetenv(name);
    // The account session lives in memory, away from the desktop's secret store.
    qputenv("QUILLMARSH_ACCOUNT_SESSION", "memory");
    settings_ = std::make_unique<Settings>(folder_.filePath(QStringLiteral("Quillmarsh.conf")));
    if (prepare)
        prepare(*settings_);
    delegate_ = std::make_unique<AppDelegate>(*settings_);
}

AppFixture::~AppFixture() = default;
