// From the release of the dictation key to the words in the target application's field, against
// what no flow can go below: the recogniser's own finish of the same audio plus the cheapest
// paste of the same text into the same field (a minimal X11 program of our own), the three
// interleaved round by round in one run on the test desktop (scripts/bench starts it). Ours is
// everything the user waits for: the key's event through the X server, the session's finish, the
// final text, the clipboard and the paste, and the target taking it, up to the moment the
// target's field changed (the target stamps it with the steady clock, which every process
// shares). The microphone goes on delivering silence until the key comes up. The recogniser
// alone is run by the engine as in a dictation, with no key, pill or clipboard: the same audio
// from the same real-time source, decoded on the dictation's own queue, finished as long after
// the last word; speech arrives at the pace of speaking, so no dictation finishes a stream just
// fed back to back, with the runtime still warm. The recogniser is the synthetic transducer with
// an encoder of realistic cost per decode call. Prints the medians and the per-round median of
// ours - finish - bare paste, then ratio=<ours/(finish + bare paste)>.

#include "BenchFlow.h"

#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {
// Each round's overhead is the difference of two finishes that vary by milliseconds from run to run:
// forty rounds keep its median steady.
constexpr int rounds = 40;
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const auto bench = BenchFlow::start("bench-flow");
    if (!bench)
        return 1;
    std::vector<double> ours, finish, barePaste, overhead;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<BenchFlow::Round> times = bench->round();
        if (!times)
            return 1;
        ours.push_back(times->ours);
        finish.push_back(times->finish);
        barePaste.push_back(times->barePaste);
        overhead.push_back(times->ours - times->finish - times->barePaste);
    }
    const double oursMedian = BenchFlow::median(ours);
    const double finishMedian = BenchFlow::median(finish);
    const double pasteMedian = BenchFlow::median(barePaste);
    std::printf("key up to text in the field: median %.1f ms\n", oursMedian);
    std::printf("recogniser's finish alone:   median %.1f ms\n", finishMedian);
    std::printf("bare paste into the field:   median %.1f ms\n", pasteMedian);
    std::printf("ours - finish - bare paste:  median %.1f ms per round\n", BenchFlow::median(overhead));
    std::printf("ratio=%.3f\n", oursMedian / (finishMedian + pasteMedian));
    return 0;
}
