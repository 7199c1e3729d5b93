// Draws one window of the application with sample records, without a display:
// `quillmarsh-screenshot WINDOW/PAGE FILE.png` (run with QT_QPA_PLATFORM=offscreen). The records
// and settings live in a temporary folder that goes when the program ends.
#include "AppDelegate.h"
#include "Core/Settings.h"
#include "Fonts.h"
#include "ScreenshotTargets.h"
#include "SeedData.h"
#include "WindowPicture.h"

#include <QApplication>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// Every file the application would touch goes to the temporary folder.
void isolate(const QTemporaryDir& folder)
{
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        qputenv(name, folder.filePath(QString::fromLatin1(name)).toLocal8Bit());
    for (const char* name : {"QUILLMARSH_HISTORY", "QUILLMARSH_STATS", "QUILLMARSH_SNIPPETS", "QUILLMARSH_VOCABULARY",
                             "QUILLMARSH_CLIPS", "QUILLMARSH_LOG", "QUILLMARSH_CLOUD_URL", "QUILLMARSH_FORMAT_URL"})
        qunsetenv(name);
    // Signed out, and the desktop's secret store untouched.
    qputenv("QUILLMARSH_ACCOUNT_SESSION", "memory");
    // A sign-in service that is never reached, so the Account page shows its form (unless the
    // variable is given, even empty: no service).
    if (!qEnvironmentVariableIsSet("QUILLMARSH_SUPABASE_URL"))
        qputenv("QUILLMARSH_SUPABASE_URL", "https://auth.example.invalid");
}

void fail(const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}

int main(int argc, char* argv[])
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        fail(QStringLiteral("screenshot: no temporary folder"));
        return 1;
    }
    isolate(folder);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    const QStringList arguments = QApplication::arguments();
    const QString request = arguments.value(1);
    const ScreenshotTarget* target = findScreenshotTarget(request.section(QLatin1Char('/'), 0, 0));
    if (arguments.size() != 3 || !target) {
        fail(screenshotUsage());
        return 2;
    }
    const QString output = arguments.at(2);

    Fonts::registerFonts();
    Settings settings(folder.filePath(QStringLiteral("Quillmarsh.conf")));
    SeedData::write(settings, QDateTime::currentDateTime());
    AppDelegate delegate(settings);
    // The state of a running application whose models are ready.
    AppModel& model = delegate.model();
    model.setSpeechStatus(QStringLiteral("Ready"));
    model.setSpeechReady(true);
    model.setLanguages(QStringLiteral("Persian + English"));
    model.setPunctuationAvailable(true);

    QQuickWindow* window = target->open(delegate, request.section(QLatin1Char('/'), 1));
    if (!window) {
        fail(QStringLiteral("screenshot: cannot open %1\n%2").arg(request, screenshotUsage()));
        return 2;
    }
    WindowPicture::saveWhenDrawn(window, output);
    return QApplication::exec();
}
