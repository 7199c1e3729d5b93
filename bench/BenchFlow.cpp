#include "BenchFlow.h"

#include <cstdio>

BenchFlow::BenchFlow(const QString& modelFolder)
    : audio(PacedSource::utterance()), harness(modelFolder, Clock::system()),
      target(QStringLiteral("gedit"), QString(), 0)
{
    harness.speakInEveryDictation(audio);
}

std::unique_ptr<BenchFlow> BenchFlow::start(const char* benchName)
{
    if (!FlowHarness::desktopAvailable()) {
        std::fprintf(stderr, "%s needs the test desktop (scripts/bench starts it)\n", benchName);
        return nullptr;
    }
    auto bench = std::make_unique<BenchFlow>(QStringLiteral(QUILLMARSH_TEST_MODELS "/transducer-bench"));
    if (!bench->harness.waitForFront(bench->target, QString())) {
        std::fprintf(stderr, "the target application didn't come to the front\n");
        return nullptr;
    }
    return bench;
}
