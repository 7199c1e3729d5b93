// Loading the model off the main thread, and the keep-warm timer, with a hand-moved clock.

#include "Core/MainThread.h"
#include "Core/ProcessStats.h"
#include "Core/SerialQueue.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "Recognition/KeepWarm.h"
#include "Recognition/ModelHost.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>

using namespace std::chrono_literals;
using Kind = ModelHost::State::Kind;

namespace {

// Records every reported state, where it was reported, and whether the recogniser was set then.
struct Reports {
    explicit Reports(ModelHost& host)
    {
        host.onChange = [this, &host](const ModelHost::State& state) {
            states.push_back(state);
            onMainThread = onMainThread && isMainThread();
            recognizerSet.push_back(host.recognizer() != nullptr);
        };
    }
    std::vector<ModelHost::State> states;
    std::vector<bool> recognizerSet;
    bool onMainThread = true;
};

std::shared_ptr<Recognizer> makeRecognizer(const RecognizerConfig& config)
{
    return std::make_shared<Recognizer>(config);
}

// Work that waits until the test opens the gate.
struct Gate {
    std::promise<void> opened;
    std::shared_future<void> wait = opened.get_future().share();
    void open() { opened.set_value(); }
};

// A keep-warm job whose units of work wait until the test opens the gate.
struct HeldJob {
    int asked = 0;
    bool offerWork = true;
    Gate gate;

    KeepWarm::Job job()
    {
        return [this]() -> std::function<void()> {
            ++asked;
            if (!offerWork)
                return {};
            return [future = gate.wait] { future.wait(); };
        };
    }
};

class ModelHostTest : public testing::Test {
    ScopedEnvironment noDecoding{"QUILLMARSH_DECODING", std::nullopt};
    ScopedEnvironment noThreads{"QUILLMARSH_THREADS", std::nullopt};
};

}

TEST_F(ModelHostTest, LoadsOffTheMainThreadAndPublishesBeforeReady)
{
    LogLines log;
    ManualClock clock;
    ModelHost host(clock, [&](const RecognizerConfig& config) {
        EXPECT_FALSE(isMainThread());
        clock.advance(1500ms);
        return makeRecognizer(config);
    });
    Reports reports(host);
    host.load(RecognizerConfig(TestModels::transducer()));
    EXPECT_EQ(host.state(), ModelHost::State::loading());
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::ready; }));

    EXPECT_DOUBLE_EQ(host.state().loadSeconds, 1.5);
    EXPECT_GT(host.state().footprintBytes, 0u);
    ASSERT_EQ(reports.states.size(), 2u);
    EXPECT_EQ(reports.states[0], ModelHost::State::loading());
    EXPECT_EQ(reports.recognizerSet, std::vector<bool>({false, true}));
    EXPECT_TRUE(reports.onMainThread);
    EXPECT_TRUE(log.mentions(QStringLiteral("model ready: greedy_search, 2 threads")));
}

TEST_F(ModelHostTest, ALoadWhileLoadingIsIgnoredAndAReloadDropsTheOldRecognizerFirst)
{
    ManualClock clock;
    Gate first;
    Gate second;
    std::atomic<int> made{0};
    ModelHost host(clock, [&](const RecognizerConfig& config) {
        (++made == 1 ? first : second).wait.wait();
        return makeRecognizer(config);
    });
    Reports reports(host);
    host.load(RecognizerConfig(TestModels::transducer()));
    host.load(RecognizerConfig(TestModels::transducerBpe()));
    first.open();
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::ready; }));
    EXPECT_EQ(made, 1);
    EXPECT_EQ(reports.states.size(), 2u);
    EXPECT_EQ(host.recognizer()->decodingMethod(), QStringLiteral("greedy_search")) << "the first load's model";

    host.load(RecognizerConfig(TestModels::transducerBpe()));
    EXPECT_EQ(host.recognizer(), nullptr);
    EXPECT_EQ(host.state(), ModelHost::State::loading());
    second.open();
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::ready; }));
    EXPECT_EQ(host.recognizer()->decodingMethod(), QStringLiteral("modified_beam_search"));
}

TEST_F(ModelHostTest, AFailedLoadReportsTheErrorAndKeepsNoRecognizer)
{
    const QTemporaryDir damaged;
    // The real clock, and the recogniser as the application makes it.
    ModelHost host(Clock::system(), makeRecognizer);
    Reports reports(host);
    const LogLines log;
    host.load(RecognizerConfig(QStringLiteral("/nonexistent/320ms")));
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::failed; }));
    const QString missing =
        QStringLiteral("model file not found: /nonexistent/320ms/encoder.onnx (set QUILLMARSH_MODEL_DIR)");
    EXPECT_EQ(host.state(), ModelHost::State::failed(missing, ModelHost::Problem::missing));
    EXPECT_TRUE(log.mentions(QStringLiteral("model not loaded: ") + missing));
    EXPECT_EQ(host.recognizer(), nullptr);
    EXPECT_EQ(reports.recognizerSet, std::vector<bool>({false, false}));

    // Files the library can't read are a damaged model.
    for (const QFileInfo& file : QDir(TestModels::transducer()).entryInfoList(QDir::Files))
        QFile::copy(file.filePath(), damaged.filePath(file.fileName()));
    QFile encoder(damaged.filePath(QStringLiteral("encoder.onnx")));
    ASSERT_TRUE(encoder.open(QIODevice::WriteOnly | QIODevice::Truncate));
    encoder.write("not a model");
    encoder.close();
    host.load(RecognizerConfig(damaged.path()));
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::failed; }));
    EXPECT_EQ(host.state().problem, ModelHost::Problem::damaged) << host.state().error.toStdString();

    // A failure is no dead end: the next load starts afresh.
    host.load(RecognizerConfig(TestModels::transducer()));
    ASSERT_TRUE(waitUntil([&] { return host.state().kind == Kind::ready; }));
}

TEST(KeepWarm, TicksEveryIntervalAndStartsOnce)
{
    ManualClock clock;
    SerialQueue queue("quillmarsh.test-keepwarm");
    HeldJob held;
    held.offerWork = false;
    auto keepWarm = std::make_unique<KeepWarm>(30, queue, held.job(), clock);
    keepWarm->start();
    keepWarm->start();
    EXPECT_EQ(clock.pendingCount(), 1);
    EXPECT_EQ(clock.nextLeeway(), 3s) << "a tenth of the interval";
    clock.advance(29900ms);
    EXPECT_EQ(held.asked, 0);
    clock.advance(100ms);
    EXPECT_EQ(held.asked, 1);
    clock.advance(60s);
    EXPECT_EQ(held.asked, 3);
    EXPECT_EQ(keepWarm->runs(), 0) << "a job that offers nothing runs nothing";

    keepWarm->stop();
    clock.advance(90s);
    keepWarm->start();
    clock.advance(30s);
    EXPECT_EQ(held.asked, 4) << "nothing while stopped";
    keepWarm.reset();  // releasing it cancels the timer
    EXPECT_EQ(clock.pendingCount(), 0);
}

TEST(KeepWarm, TicksDuringALongRunAreDropped)
{
    ManualClock clock;
    SerialQueue queue("quillmarsh.test-keepwarm");
    HeldJob held;
    KeepWarm keepWarm(30, queue, held.job(), clock);
    keepWarm.start();

    clock.advance(30s);
    EXPECT_EQ(held.asked, 1);
    clock.advance(90s);
    EXPECT_EQ(held.asked, 1) << "ticks while the work runs don't even ask the job";
    EXPECT_EQ(keepWarm.runs(), 0);

    held.gate.open();
    ASSERT_TRUE(waitUntil([&] { return keepWarm.runs() == 1; }));
    clock.advance(30s);
    EXPECT_EQ(held.asked, 2);
    ASSERT_TRUE(waitUntil([&] { return keepWarm.runs() == 2; }));
}
