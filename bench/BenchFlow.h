#pragma once
// What the flow's benchmarks start from: the flow on the test desktop with the benchmark recogniser,
// hearing the same utterance in every dictation, and the test application in front.

#include "FlowHarness.h"

#include <memory>
#include <vector>

class BenchFlow {
public:
    // Null, with the reason on stderr, when the test desktop or the test application isn't there.
    static std::unique_ptr<BenchFlow> start(const char* benchName);

    explicit BenchFlow(const QString& modelFolder);

    const std::vector<float> audio;
    FlowHarness harness;
    Target target;
};
