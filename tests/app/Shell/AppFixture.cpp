#include "AppFixture.h"

#include "AppDelegate.h"
#include "Core/Settings.h"

AppFixture::AppFixture()
{
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        qputenv(name, folder_.filePath(QString::fromLatin1(name)).toLocal8Bit());
    settings_ = std::make_unique<Settings>(folder_.filePath(QStringLiteral("Quillmarsh.conf")));
    delegate_ = std::make_unique<AppDelegate>(*settings_);
}

AppFixture::~AppFixture() = default;
