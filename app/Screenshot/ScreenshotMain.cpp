// Draws one window of the application with sample records, without a display:
// `quillmarsh-screenshot [--size WxH] [--sample usual|long] WINDOW/PAGE FILE.png` (run with
// QT_QPA_PLATFORM=offscreen); the size is the main window's. The records and settings live in a temporary folder that
// goes when the program ends.
#include "Core/Settings.h"
#include "Fonts.h"
#include "SampleDesktop.h"
#include "ScreenshotTargets.h"
#include "SeedData.h"
#include "Shell/AppDelegate.h"
#include "WindowPicture.h"

#include <QApplication>
#include <QCommandLineParser>
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

// "980x640" as a size; an empty size for anything else.
QSize sizeNamed(const QString& text)
{
    const QStringList sides = text.split(QLatin1Char('x'));
    bool wide = false;
    bool high = false;
    const QSize size(sides.value(0).toInt(&wide), sides.value(1).toInt(&high));
    return sides.size() == 2 && wide && high && !size.isEmpty() ? size : QSize();
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
    QCommandLineParser parser;
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("The main window's size."),
                                        QStringLiteral("WxH"));
    const QCommandLineOption sampleOption(QStringLiteral("sample"), QStringLiteral("The sample texts."),
                                          QStringLiteral("usual|long"), QStringLiteral("usual"));
    parser.addOptions({sizeOption, sampleOption});
    const bool parsed = parser.parse(QApplication::arguments());
    const QStringList arguments = parser.positionalArguments();
    const QString request = arguments.value(0);
    const ScreenshotTarget* target = findScreenshotTarget(request.section(QLatin1Char('/'), 0, 0));
    const QSize size = sizeNamed(parser.value(sizeOption));
    const auto sample = SeedData::sampleNamed(parser.value(sampleOption));
    if (!parsed || arguments.size() != 2 || !target || (parser.isSet(sizeOption) && size.isEmpty()) || !sample) {
        fail(screenshotUsage());
        return 2;
    }
    const QString output = arguments.at(1);

    Fonts::registerFonts();
    SampleDesktop desktop;
    DesktopPermissions::replaceSystem(&desktop);
    Settings settings(folder.filePath(QStringLiteral("Quillmarsh.conf")));
    SeedData::write(settings, QDateTime::currentDateTime(), *sample);
    AppDelegate delegate(settings);
    SeedData::setRunningState(delegate.model(), *sample);

    QQuickWindow* window = target->open(delegate, request.section(QLatin1Char('/'), 1), {*sample, size});
    if (!window) {
        fail(QStringLiteral("screenshot: cannot open %1\n%2").arg(request, screenshotUsage()));
        return 2;
    }
    WindowPicture::saveWhenDrawn(window, output);
    return QApplication::exec();
}
