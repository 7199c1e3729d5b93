// What an open main window costs while nothing happens: the whole application with its tray item
// and models loaded, once with no window (started at login) and once with its main window open on
// Home (started by hand), each measured for 30 s on the test desktop, which renders in software.
// Prints both in processor seconds per second, then ratio=<what the window adds>.

#include "WholeApplication.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr auto measured = std::chrono::seconds(30);

double idleCost(const QStringList& arguments)
{
    WholeApplication application;
    if (!application.start(arguments))
        return -1;
    return application.cpuPerSecond(measured);
}

}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchTray tray;
    if (!tray.claim()) {
        std::fprintf(stderr, "bench-window-idle needs the test desktop (scripts/bench starts it)\n");
        return 1;
    }
    const double withoutWindow = idleCost({QStringLiteral("--at-login")});
    const double withWindow = idleCost({});
    if (withoutWindow < 0 || withWindow < 0)
        return 1;
    std::printf("without a window: %.4f processor seconds per second\n", withoutWindow);
    std::printf("the main window open on Home: %.4f processor seconds per second\n", withWindow);
    std::printf("ratio=%.4f\n", withWindow - withoutWindow);
    return 0;
}
