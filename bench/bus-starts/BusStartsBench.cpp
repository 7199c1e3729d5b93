// The accessibility bus from several threads, start after start: the whole application, as the user
// runs it at login (tray item, models, key monitor, its sign-in store on the desktop's Secret
// Service), started again and again, each time with a first dictation into a GTK-like field on the
// accessibility bus (the test application publishing its field by hand and offering a direct
// connection, as GTK does), improved in place from a loopback formatting server. The first
// dictation is when the application joins the accessibility bus, on a thread of its own while the
// main thread runs its loop and the D-Bus library serves the session bus, and asks the field again
// for the improvement: a start that ends badly there (an abort, a hang, no text in the field)
// counts as failed. Runs on the test desktop (scripts/bench starts it). Argument: the number of
// starts (200 without one). Prints the starts, the failed ones and the improvements not made,
// then ratio=<failed/starts>.

#include "FlowHarness.h"
#include "Keysyms.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>

namespace {

constexpr int defaultStarts = 200;
constexpr auto loadLimit = std::chrono::seconds(30);
constexpr auto held = std::chrono::milliseconds(1500);
constexpr auto textLimit = std::chrono::seconds(15);
constexpr auto improvementLimit = std::chrono::seconds(5);
const QString improved = QStringLiteral("Hello, world.");

bool logSays(const QString& logPath, const QByteArray& line)
{
    QFile log(logPath);
    return log.open(QIODevice::ReadOnly) && log.readAll().contains(line);
}

// The application's files in a private folder, onboarding done.
QProcessEnvironment environmentIn(const QTemporaryDir& folder, const QUrl& formatter)
{
    QDir().mkpath(folder.filePath(QStringLiteral("config/Quillmarsh")));
    QDir().mkpath(folder.filePath(QStringLiteral("model-source")));
    QFile settings(folder.filePath(QStringLiteral("config/Quillmarsh/Quillmarsh.conf")));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[General]\nonboardingDone=true\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("QUILLMARSH_LOG"), folder.filePath(QStringLiteral("Quillmarsh.log")));
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_DIR"), QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer"));
    environment.insert(QStringLiteral("QUILLMARSH_PUNCT_DIR"), QStringLiteral(QUILLMARSH_TEST_MODELS "/punctuation"));
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_SOURCE"), folder.filePath(QStringLiteral("model-source")));
    environment.insert(QStringLiteral("QUILLMARSH_MODELS_URL"), QStringLiteral("http://127.0.0.1:1/"));
    for (const char* name : {"QUILLMARSH_CLOUD_URL", "QUILLMARSH_SERVER_TOKEN"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QUILLMARSH_FORMAT_URL"), formatter.toString());
    return environment;
}

// One start with its first dictation; what went wrong, or nothing. Counts the improvements not made.
std::optional<QString> startAndDictate(Target& target, Keyboard& keyboard, const QUrl& formatter, int& notImproved)
{
    target.send("clear");
    if (!waitUntil([&] { return target.text.isEmpty(); }))
        return QStringLiteral("the field wasn't emptied");
    QTemporaryDir folder;
    const QString logPath = folder.filePath(QStringLiteral("Quillmarsh.log"));
    QProcess application;
    application.setProcessEnvironment(environmentIn(folder, formatter));
    application.setProgram(QStringLiteral(QUILLMARSH_APP));
    application.setArguments({QStringLiteral("--at-login")});
    application.setProcessChannelMode(QProcess::MergedChannels);
    application.start();
    if (!application.waitForStarted())
        return QStringLiteral("the application didn't start");
    const auto ended = [&] { return application.state() != QProcess::Running; };
    const auto failure = [&](const QString& what) {
        application.kill();
        application.waitForFinished();
        return what + QStringLiteral("; its last output:\n")
               + QString::fromLocal8Bit(application.readAll().right(2000));
    };
    if (!waitUntil([&] { return ended() || logSays(logPath, "model ready"); }, loadLimit) || ended())
        return failure(QStringLiteral("the application didn't load its model"));
    keyboard.press(Keysyms::controlRight);
    waitUntil(ended, held);
    keyboard.release(Keysyms::controlRight);
    if (!waitUntil([&] { return ended() || !target.text.isEmpty(); }, textLimit) || ended())
        return failure(ended() ? QStringLiteral("the application ended at its first dictation")
                               : QStringLiteral("no text reached the field"));
    if (!waitUntil([&] { return ended() || target.text == improved; }, improvementLimit))
        ++notImproved;
    if (ended())
        return failure(QStringLiteral("the application ended at its first improvement"));
    application.terminate();
    if (!application.waitForFinished(10000) || application.exitStatus() != QProcess::NormalExit
        || application.exitCode() != 0)
        return failure(QStringLiteral("the application didn't end cleanly"));
    return std::nullopt;
}

}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int starts = argc > 1 ? QByteArray(argv[1]).toInt() : defaultStarts;
    if (!FlowHarness::desktopAvailable() || starts <= 0) {
        std::fprintf(stderr, "usage: bench-bus-starts [STARTS], on the test desktop (scripts/bench starts it)\n");
        return 1;
    }
    // A tray for the application's item: the owner of the screen's tray selection.
    Display* display = XOpenDisplay(nullptr);
    const Window tray = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display));
    XSetSelectionOwner(display, XInternAtom(display, selection.constData(), False), tray, CurrentTime);
    XSync(display, False);

    Target target(QStringLiteral("gedit"), QStringLiteral("ready"), 0, Target::Field::text,
                  std::chrono::milliseconds(0));
    Keyboard keyboard;
    TestHttpServer server;
    server.route("POST", "/v1/format", [](const HttpRequest&) {
        return HttpResponse::json(200, R"({"text":"Hello, world.","status":"ok"})");
    });
    if (!waitUntil([&] { return target.text == QLatin1String("ready"); })) {
        std::fprintf(stderr, "the test application didn't start\n");
        return 1;
    }
    int failed = 0;
    int notImproved = 0;
    for (int start = 1; start <= starts; ++start) {
        if (const std::optional<QString> problem =
                startAndDictate(target, keyboard, server.url(QStringLiteral("/v1/format")), notImproved)) {
            ++failed;
            std::fprintf(stderr, "start %d: %s\n", start, qPrintable(*problem));
        }
    }
    XCloseDisplay(display);
    std::printf("%d starts, each with a first dictation: %d ended badly, %d not improved in place\n", starts, failed,
                notImproved);
    std::printf("ratio=%.4f\n", double(failed) / starts);
    return 0;
}
