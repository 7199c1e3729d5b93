// How long the search for the focused element takes in a GTK-like application whose field sits
// last among thousands of accessibles, each answer a few milliseconds late (the test application
// publishing them by hand), against the bound the keep-or-send decision waits for the answer. Runs
// on the test desktop (scripts/bench starts it). Arguments: the accessibles (5000 without one) and
// each answer's delay in milliseconds (3). Prints each search's time and the median, then
// ratio=<median search / decision bound>; above 1, ordinary dictations would be kept nowhere.

#include "AtSpi/AtSpiFocusedText.h"
#include "Dictation/FocusLookup.h"
#include "FlowHarness.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
constexpr int searches = 7;
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int crowd = arguments.size() > 1 ? arguments.at(1).toInt() : 5000;
    const int delayMs = arguments.size() > 2 ? arguments.at(2).toInt() : 3;
    if (!FlowHarness::desktopAvailable()) {
        std::fprintf(stderr, "needs the test desktop: run through scripts/bench\n");
        return 1;
    }
    const Target target(QStringLiteral("gedit"), QString(), 0, Target::Field::text, std::chrono::milliseconds(delayMs),
                        crowd);
    AtSpiFocusedText focus;
    std::vector<double> times;
    int misses = 0;
    while (int(times.size()) < searches) {
        std::optional<FocusAnswer> answer;
        QElapsedTimer timer;
        timer.start();
        focus.find(target.pid(), [&](FocusAnswer found) { answer = found; });
        if (!waitUntil([&] { return answer.has_value(); }, std::chrono::seconds(60))) {
            std::fprintf(stderr, "the search didn't end\n");
            return 1;
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        // The first searches may come before the window has the focus: only those that found it count.
        if (!answer->element) {
            if (++misses > 50) {
                std::fprintf(stderr, "the search never found the field\n");
                return 1;
            }
            waitUntil([] { return false; }, std::chrono::milliseconds(200));
            continue;
        }
        std::printf("search %zu: %.1f ms\n", times.size() + 1, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times.at(times.size() / 2);
    const double bound = std::chrono::duration<double, std::milli>(FocusLookup::decisionBound).count();
    std::printf("%d accessibles, each answer %d ms late: median search %.1f ms, decision bound %.0f ms\n", crowd,
                delayMs, median, bound);
    std::printf("ratio=%.3f\n", median / bound);
    return 0;
}
