// What the application costs while nobody dictates: the whole application as the user runs it at
// login (its tray item, the speech and punctuation models loaded, the key monitor listening, no
// window), over a minute, so its keep-warm job runs twice. The tray is this program's, the
// application's files are in a private folder. Measures the application's CPU seconds against the
// wall seconds once its models are loaded. Prints ratio=<cpu/wall>.

#include "WholeApplication.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchTray tray;
    if (!tray.claim()) {
        std::fprintf(stderr, "bench-idle needs the test desktop (scripts/bench starts it)\n");
        return 1;
    }
    constexpr auto measured = std::chrono::seconds(60);
    WholeApplication application;
    if (!application.start({QStringLiteral("--at-login")}))
        return 1;
    const double perSecond = application.cpuPerSecond(measured);
    application.stop();
    if (perSecond < 0)
        return 1;
    std::printf("the application idle for %lld s: %.3f s of CPU\n", static_cast<long long>(measured.count()),
                perSecond * double(measured.count()));
    std::printf("ratio=%.4f\n", perSecond);
    return 0;
}
