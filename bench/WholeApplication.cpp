#include "WholeApplication.h"

#include <QDir>
#include <QFile>

#include <X11/Xlib.h>

#include <cstdio>
#include <thread>

#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;
constexpr auto loadLimit = std::chrono::seconds(60);
constexpr auto settling = std::chrono::seconds(3);

}

WholeApplication::WholeApplication()
{
    QDir().mkpath(folder_.filePath(QStringLiteral("config/Quillmarsh")));
    QDir().mkpath(folder_.filePath(QStringLiteral("model-source")));
    QDir().mkpath(folder_.filePath(QStringLiteral("tmp")));
    QFile settings(folder_.filePath(QStringLiteral("config/Quillmarsh/Quillmarsh.conf")));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[General]\nonboardingDone=true\n") < 0)
        std::fprintf(stderr, "the application's settings could not be written\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder_.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder_.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("TMPDIR"), folder_.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("QUILLMARSH_LOG"), folder_.filePath(QStringLiteral("Quillmarsh.log")));
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_DIR"),
                       QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer-bench"));
    environment.insert(QStringLiteral("QUILLMARSH_PUNCT_DIR"), QStringLiteral(QUILLMARSH_TEST_MODELS "/punctuation"));
    // Nothing is installed: an empty local source, a model host on a closed port.
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_SOURCE"), folder_.filePath(QStringLiteral("model-source")));
    environment.insert(QStringLiteral("QUILLMARSH_MODELS_URL"), QStringLiteral("http://127.0.0.1:1/"));
    environment.insert(QStringLiteral("QUILLMARSH_ACCOUNT_SESSION"), QStringLiteral("memory"));
    for (const char* name : {"QUILLMARSH_CLOUD_URL", "QUILLMARSH_FORMAT_URL", "QUILLMARSH_SERVER_TOKEN"})
        environment.remove(QString::fromLatin1(name));
    process_.setProcessEnvironment(environment);
    process_.setProgram(QStringLiteral(QUILLMARSH_APP));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

WholeApplication::~WholeApplication()
{
    stop();
}

bool WholeApplication::start(const QStringList& arguments)
{
    QFile::remove(folder_.filePath(QStringLiteral("Quillmarsh.log")));
    process_.setArguments(arguments);
    process_.start();
    if (!process_.waitForStarted()) {
        std::fprintf(stderr, "the application didn't start\n");
        return false;
    }
    const auto launched = Steady::now();
    while (!logSays("model ready")) {
        if (Steady::now() - launched > loadLimit || process_.state() != QProcess::Running) {
            std::fprintf(stderr, "the application didn't load its models\n");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // Start-up's own work (the punctuation model's load among it) settles first.
    std::this_thread::sleep_for(settling);
    return true;
}

double WholeApplication::cpuPerSecond(std::chrono::seconds span)
{
    const double cpuBefore = cpuSeconds();
    const auto wallBefore = Steady::now();
    std::this_thread::sleep_for(span);
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Steady::now() - wallBefore).count();
    if (process_.state() != QProcess::Running) {
        std::fprintf(stderr, "the application ended while idle\n");
        return -1;
    }
    return cpu / wall;
}

void WholeApplication::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    process_.waitForFinished();
}

// User and system CPU seconds, from /proc.
double WholeApplication::cpuSeconds() const
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // The fields after the command's closing bracket, from the state (the third) on.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

bool WholeApplication::logSays(const QByteArray& line) const
{
    QFile log(folder_.filePath(QStringLiteral("Quillmarsh.log")));
    return log.open(QIODevice::ReadOnly) && log.readAll().contains(line);
}

bool BenchTray::claim()
{
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return false;
    const Window tray = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display_));
    XSetSelectionOwner(display_, XInternAtom(display_, selection.constData(), False), tray, CurrentTime);
    XSync(display_, False);
    return true;
}

BenchTray::~BenchTray()
{
    if (display_)
        XCloseDisplay(display_);
}
