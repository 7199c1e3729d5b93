// What the dictation flow costs while nobody dictates: the flow assembled as the application
// assembles it on the test desktop (scripts/bench starts it), with the model loaded and the key
// monitor listening, after one dictation has shown and hidden the pill. Measures the process's
// CPU seconds over 20 s of idle against the wall seconds. Prints both, then ratio=<cpu/wall>.

#include "BenchFlow.h"
#include "Keysyms.h"
#include "PacedSource.h"
#include "TestSupport.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const auto bench = BenchFlow::start("bench-idle");
    if (!bench)
        return 1;
    FlowHarness& harness = bench->harness;
    Target& target = bench->target;
    std::shared_ptr<PacedSource>& source = harness.source;

    Keyboard keyboard;
    keyboard.press(Keysyms::controlRight);
    if (!waitUntil([&] { return source && source->played(); }))
        return 1;
    keyboard.release(Keysyms::controlRight);
    if (!waitUntil([&] { return target.text == QStringLiteral("HELLO WORLD"); }))
        return 1;
    source.reset();
    // The pill shows the outcome, then hides; the clipboard goes back.
    if (!waitUntil([&] { return !harness.flow.pill().isShown(); }))
        return 1;

    const double cpuBefore = cpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    // The event loop itself, as in the application: nothing polls.
    QEventLoop idle;
    QTimer::singleShot(std::chrono::seconds(20), Qt::PreciseTimer, &idle, &QEventLoop::quit);
    idle.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    std::printf("idle for %.1f s: %.3f s of CPU\n", wall, cpu);
    std::printf("ratio=%.4f\n", cpu / wall);
    return 0;
}
