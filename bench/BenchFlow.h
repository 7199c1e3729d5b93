#pragma once
// What the flow's benchmarks start from: the flow on the test desktop with the benchmark recogniser,
// hearing the same utterance in every dictation, the test application in front, and the bare
// paste program; and one round of what they measure.

#include "FlowHarness.h"

#include <QProcess>

#include <memory>
#include <optional>
#include <vector>

class BenchFlow {
public:
    // Milliseconds, each leg typing the same text into the same field: ours from the key's
    // release to the text in the field; the recogniser's finish alone, from the same call to
    // its final text, on the same audio heard the same way; the bare paste from its start to the
    // text in the field.
    struct Round {
        double ours = 0;
        double finish = 0;
        double barePaste = 0;
    };

    // Null, with the reason on stderr, when the test desktop or the test application isn't there.
    static std::unique_ptr<BenchFlow> start(const char* benchName);
    static double median(std::vector<double> values);

    explicit BenchFlow(const QString& modelFolder);
    ~BenchFlow();

    // Nothing, with the reason on stderr, when a leg didn't type the text.
    std::optional<Round> round();

    const std::vector<float> audio;
    FlowHarness harness;
    Target target;
    Keyboard keyboard;

private:
    bool clearField();
    // The recogniser's finish in milliseconds, run as ours runs in the flow.
    std::optional<double> finishAlone();

    QProcess barePaste_;
};
