// From the release of the dictation key to the words in the target application's field, against
// the recogniser's own finish of the same audio, alternating the two in one run on the test
// desktop (scripts/bench starts it). Ours is everything the user waits for: the key's event
// through the X server, the session's finish, the final text, the clipboard and the paste, and
// the target taking it, up to the moment the target's field changed (the target stamps it with
// the steady clock, which every process shares). The microphone goes on delivering silence until
// the key comes up, and the recogniser alone is given exactly what the flow heard. The recogniser
// is the synthetic transducer with an encoder of realistic cost per decode call. Prints both
// medians, then ratio=<ours/finish only>.

#include "BenchFlow.h"
#include "Keysyms.h"
#include "PacedSource.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

using Steady = std::chrono::steady_clock;
constexpr int rounds = 15;

double ms(Steady::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const auto bench = BenchFlow::start("bench-flow");
    if (!bench)
        return 1;
    FlowHarness& harness = bench->harness;
    Target& target = bench->target;
    std::shared_ptr<PacedSource>& source = harness.source;
    Keyboard keyboard;
    const QString expected = QStringLiteral("HELLO WORLD");

    std::vector<double> ours;
    std::vector<double> finishOnly;
    for (int round = 0; round < rounds; ++round) {
        target.send("clear");
        if (!waitUntil([&] { return target.text.isEmpty(); }))
            return 1;
        keyboard.press(Keysyms::controlRight);
        if (!waitUntil([&] { return source && source->played(); }))
            return 1;
        // The user lets go a moment after the last word.
        waitUntil([] { return false; }, std::chrono::milliseconds(150));
        const auto released = Steady::now();
        keyboard.release(Keysyms::controlRight);
        if (!waitUntil([&] { return target.text == expected; })) {
            std::fprintf(stderr, "the field holds \"%s\"\n", qPrintable(target.text));
            return 1;
        }
        ours.push_back(ms(target.changedAt - released));
        const std::vector<float> heard = source->delivered();
        source.reset();
        waitUntil([] { return false; }, std::chrono::milliseconds(300));

        const auto stream = harness.recognizer->makeStream({});
        for (size_t first = 0; first < heard.size(); first += PacedSource::blockSize) {
            stream->accept(
                std::span<const float>(heard).subspan(first, std::min(PacedSource::blockSize, heard.size() - first)));
            stream->decode();
            (void)stream->text();
        }
        const auto finishing = Steady::now();
        const QString text = stream->finish();
        finishOnly.push_back(ms(Steady::now() - finishing));
        if (text != expected) {
            std::fprintf(stderr, "the recogniser alone read \"%s\"\n", qPrintable(text));
            return 1;
        }
    }
    const double oursMedian = median(ours);
    const double finishMedian = median(finishOnly);
    std::printf("key up to text in the field: median %.1f ms\n", oursMedian);
    std::printf("recogniser's finish alone:   median %.1f ms\n", finishMedian);
    std::printf("ratio=%.3f\n", oursMedian / finishMedian);
    return 0;
}
