// What the application costs while nobody dictates: the whole application as the user runs it at
// login (its tray item, the speech and punctuation models loaded, the key monitor listening, no
// window), over a minute, so its keep-warm job runs twice. Runs on the test desktop (scripts/bench
// starts it), whose tray this program provides by owning the tray's selection, with every file
// the application touches in a private folder. Measures the application's CPU seconds against the
// wall seconds once its models are loaded. Prints both, then ratio=<cpu/wall>.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;
constexpr auto measured = std::chrono::seconds(60);
constexpr auto loadLimit = std::chrono::seconds(60);

// User and system CPU seconds of a process, from /proc.
double cpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // The fields after the command's closing bracket, from the state (the third) on.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

bool logSays(const QString& logPath, const QByteArray& line)
{
    QFile log(logPath);
    return log.open(QIODevice::ReadOnly) && log.readAll().contains(line);
}

}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench-idle needs the test desktop (scripts/bench starts it)\n");
        return 1;
    }
    // A tray for the application's item: the owner of the screen's tray selection.
    const Window tray = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display));
    XSetSelectionOwner(display, XInternAtom(display, selection.constData(), False), tray, CurrentTime);
    XSync(display, False);

    QTemporaryDir folder;
    const QString logPath = folder.filePath(QStringLiteral("Quillmarsh.log"));
    QDir().mkpath(folder.filePath(QStringLiteral("config/Quillmarsh")));
    QDir().mkpath(folder.filePath(QStringLiteral("model-source")));
    QDir().mkpath(folder.filePath(QStringLiteral("tmp")));
    QFile settings(folder.filePath(QStringLiteral("config/Quillmarsh/Quillmarsh.conf")));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[General]\nonboardingDone=true\n") < 0)
        return 1;
    settings.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("TMPDIR"), folder.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("QUILLMARSH_LOG"), logPath);
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_DIR"),
                       QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer-bench"));
    environment.insert(QStringLiteral("QUILLMARSH_PUNCT_DIR"), QStringLiteral(QUILLMARSH_TEST_MODELS "/punctuation"));
    // Nothing is installed: an empty local source, a model host on a closed port.
    environment.insert(QStringLiteral("QUILLMARSH_MODEL_SOURCE"), folder.filePath(QStringLiteral("model-source")));
    environment.insert(QStringLiteral("QUILLMARSH_MODELS_URL"), QStringLiteral("http://127.0.0.1:1/"));
    environment.insert(QStringLiteral("QUILLMARSH_ACCOUNT_SESSION"), QStringLiteral("memory"));
    for (const char* name : {"QUILLMARSH_CLOUD_URL", "QUILLMARSH_FORMAT_URL", "QUILLMARSH_SERVER_TOKEN"})
        environment.remove(QString::fromLatin1(name));

    QProcess application;
    application.setProcessEnvironment(environment);
    application.setProgram(QStringLiteral(QUILLMARSH_APP));
    application.setArguments({QStringLiteral("--at-login")});
    application.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    application.start();
    if (!application.waitForStarted())
        return 1;
    const auto launched = Steady::now();
    while (!logSays(logPath, "model ready")) {
        if (Steady::now() - launched > loadLimit || application.state() != QProcess::Running) {
            std::fprintf(stderr, "the application didn't load its models\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // Start-up's own work (the punctuation model's load among it) settles first.
    std::this_thread::sleep_for(std::chrono::seconds(3));

    const double cpuBefore = cpuSeconds(application.processId());
    const auto wallBefore = Steady::now();
    std::this_thread::sleep_for(measured);
    const double cpu = cpuSeconds(application.processId()) - cpuBefore;
    const double wall = std::chrono::duration<double>(Steady::now() - wallBefore).count();
    const bool running = application.state() == QProcess::Running;
    application.terminate();
    application.waitForFinished();
    XCloseDisplay(display);
    if (!running) {
        std::fprintf(stderr, "the application ended while idle\n");
        return 1;
    }
    std::printf("the application idle for %.1f s: %.3f s of CPU\n", wall, cpu);
    std::printf("ratio=%.4f\n", cpu / wall);
    return 0;
}
