// The end of a ten-minute hands-free dictation (the most a dictation keeps) whose recording is
// kept: the dictation is finished, its recording handed from the session to the controller and on
// to be kept, as the flow hands it, while a timer on the main thread measures the longest time the
// thread went without handling its events. Beside it, the same recording saved on the main thread.
// Prints ratio=<longest stall / one frame of 16 ms>: below 1, nothing the user sees waits.

#include "Dictation/DictationController.h"
#include "UserRecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <thread>

namespace {

constexpr double frameMilliseconds = 16;
constexpr size_t blockSize = 1600;  // 0.1 s, as a microphone hands it over

// Speech-like audio: a tone whose loudness and pitch wander, over a little noise.
std::vector<float> tenMinutes()
{
    std::vector<float> samples(DictationSession::maxRecordedSamples);
    quint32 state = 12345;
    for (size_t i = 0; i < samples.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const double t = double(i) / 16000.0;
        const double noise = (double(state >> 8) / double(1u << 24) - 0.5) * 0.02;
        samples[i] =
            float(0.3 * std::sin(2 * M_PI * (180 + 40 * std::sin(t)) * t) * std::fabs(std::sin(t * 3)) + noise);
    }
    return samples;
}

// Recognition costs nothing here: what is measured is the recording's way.
class DeafStream final : public SpeechStream {
public:
    void accept(std::span<const float>) override {}
    void decode() override {}
    QString text() override { return {}; }
    void finish(std::function<void(const QString&)> completion) override { completion(QStringLiteral("words")); }
    void cancel() override {}
};

class DeafEngine final : public SpeechEngine {
public:
    std::shared_ptr<SpeechStream> openStream(const QStringList&) override { return std::make_shared<DeafStream>(); }
};

// A microphone the benchmark plays into from a thread of its own.
class PlayedSource final : public AudioSource {
public:
    void start() override {}
    void stop() override {}
    void play(const std::vector<float>& audio)
    {
        for (size_t first = 0; first < audio.size(); first += blockSize)
            onAudio(std::vector<float>(audio.begin() + qsizetype(first),
                                       audio.begin() + qsizetype(std::min(first + blockSize, audio.size()))),
                    0.1f);
    }
};

// The longest gap between the ticks of a timer that asks to run every millisecond.
class StallWatch {
public:
    StallWatch()
    {
        tick_.setInterval(1);
        QObject::connect(&tick_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, since_.nsecsElapsed());
            since_.restart();
        });
        since_.start();
        tick_.start();
    }
    double longestMilliseconds() const { return double(longest_) / 1e6; }

private:
    QTimer tick_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
};

bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    UserRecords records(folder.path());
    records.model.setKeepClips(true);
    const std::vector<float> audio = tenMinutes();

    // Ours: ten minutes heard hands-free, then the tap that ends the dictation.
    const auto engine = std::make_shared<DeafEngine>();
    const auto source = std::make_shared<PlayedSource>();
    DictationController controller([engine] { return engine; });
    controller.makeSource = [source] { return source; };
    controller.keepsAudio = [] { return true; };
    size_t blocksHeard = 0;
    controller.onLevel = [&](float) { ++blocksHeard; };
    const QUuid kept = QUuid::createUuid();
    bool written = false;
    QObject::connect(&records.model, &AppModel::recordingsChanged, [&] { written = true; });
    QElapsedTimer took;
    controller.onFinal = [&](const QString&, double) { records.model.keepRecording(controller.takeLastAudio(), kept); };

    controller.keyDown();
    std::thread([&] { source->play(audio); }).join();
    if (!waitFor([&] { return blocksHeard == (audio.size() + blockSize - 1) / blockSize; })) {
        std::fprintf(stderr, "the dictation didn't hear its audio\n");
        return 1;
    }
    std::this_thread::sleep_for(DictationController::tapMax);
    double ours = 0;
    {
        const StallWatch watch;
        QTimer::singleShot(20, [&] {
            took.start();
            controller.keyUp(false);
        });
        if (!waitFor([&] { return written; }) || !records.vault.has(kept)) {
            std::fprintf(stderr, "the recording was not kept\n");
            return 1;
        }
        ours = watch.longestMilliseconds();
    }
    const double keptSeconds = double(took.nsecsElapsed()) / 1e9;

    // The baseline: the same save on the main thread.
    double onMain = 0;
    {
        const StallWatch watch;
        bool saved = false;
        QTimer::singleShot(20, [&] {
            records.vault.save(audio, QUuid::createUuid());
            QTimer::singleShot(20, [&] { saved = true; });
        });
        waitFor([&] { return saved; });
        onMain = watch.longestMilliseconds();
    }

    std::printf("10 min dictation: kept %.2f s after its end; longest main-thread stall %.1f ms (%.1f ms when "
                "saved on the main thread)\n",
                keptSeconds, ours, onMain);
    std::printf("ratio=%.3f\n", ours / frameMilliseconds);
    return 0;
}
