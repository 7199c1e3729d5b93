#include "BenchFlow.h"

#include "Dictation/DictationSession.h"
#include "FinishStamp.h"
#include "Keysyms.h"
#include "TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using Steady = std::chrono::steady_clock;
const QString expected = QStringLiteral("HELLO WORLD");

double ms(Steady::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

void pause(std::chrono::milliseconds time)
{
    waitUntil([] { return false; }, time);
}

}

BenchFlow::BenchFlow(const QString& modelFolder)
    : audio(PacedSource::utterance()), harness(modelFolder, Clock::system()),
      target(QStringLiteral("gedit"), QString(), 0)
{
    harness.speakInEveryDictation(audio);
    barePaste_.setProgram(QStringLiteral(BARE_PASTE));
    barePaste_.start();
}

BenchFlow::~BenchFlow()
{
    barePaste_.closeWriteChannel();
    barePaste_.waitForFinished();
}

std::unique_ptr<BenchFlow> BenchFlow::start(const char* benchName)
{
    if (!FlowHarness::desktopAvailable()) {
        std::fprintf(stderr, "%s needs the test desktop (scripts/bench starts it)\n", benchName);
        return nullptr;
    }
    auto bench = std::make_unique<BenchFlow>(TestModels::transducerBench());
    if (!bench->harness.waitForFront(bench->target, QString())) {
        std::fprintf(stderr, "the target application didn't come to the front\n");
        return nullptr;
    }
    if (!bench->barePaste_.waitForStarted()) {
        std::fprintf(stderr, "the bare paste program didn't start\n");
        return nullptr;
    }
    return bench;
}

double BenchFlow::median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::optional<double> BenchFlow::finishAlone()
{
    FinishStamp engine(*harness.recognizer);
    const auto source = std::make_shared<PacedSource>(audio);
    DictationSession session(engine, {}, [&] { return source; });
    session.start();
    if (!waitUntil([&] { return source->played(); }))
        return std::nullopt;
    pause(std::chrono::milliseconds(150));
    const auto text = std::make_shared<std::optional<QString>>();
    const auto finishing = Steady::now();
    session.finish([text](const QString& final) { *text = final; });
    if (!waitUntil([&] { return text->has_value(); }))
        return std::nullopt;
    if (**text != expected) {
        std::fprintf(stderr, "the recogniser alone read \"%s\"\n", qPrintable(**text));
        return std::nullopt;
    }
    return ms(engine.finishedAt.load() - finishing);
}

bool BenchFlow::clearField()
{
    target.send("clear");
    return waitUntil([&] { return target.text.isEmpty(); });
}

std::optional<BenchFlow::Round> BenchFlow::round()
{
    Round round;
    std::shared_ptr<PacedSource>& source = harness.source;
    if (!clearField())
        return std::nullopt;
    keyboard.press(Keysyms::controlRight);
    if (!waitUntil([&] { return source && source->played(); }))
        return std::nullopt;
    // The user lets go a moment after the last word.
    pause(std::chrono::milliseconds(150));
    const auto released = Steady::now();
    keyboard.release(Keysyms::controlRight);
    if (!waitUntil([&] { return target.text == expected; })) {
        std::fprintf(stderr, "the field holds \"%s\"\n", qPrintable(target.text));
        return std::nullopt;
    }
    round.ours = ms(target.changedAt - released);
    source.reset();
    // The pill's outcome and the clipboard's return are over before the next leg.
    pause(std::chrono::milliseconds(700));

    // The bare paste follows the finish alone as ours follows its own finish: at once, into a
    // field emptied before the finish.
    if (!clearField())
        return std::nullopt;
    const std::optional<double> finish = finishAlone();
    if (!finish)
        return std::nullopt;
    round.finish = *finish;

    barePaste_.write(expected.toUtf8() + '\n');
    QByteArray began;
    if (!waitUntil([&] {
            if (barePaste_.canReadLine())
                began = barePaste_.readLine().trimmed();
            return began.startsWith("pasting:") && target.text == expected;
        })) {
        std::fprintf(stderr, "the bare paste left \"%s\"\n", qPrintable(target.text));
        return std::nullopt;
    }
    const Steady::time_point pasting{std::chrono::nanoseconds(began.mid(8).toLongLong())};
    round.barePaste = ms(target.changedAt - pasting);
    pause(std::chrono::milliseconds(100));
    return round;
}
