// The microphone against a real sound server: scripts/test starts one whose default input is a
// virtual microphone playing speech at 48 kHz stereo (see scripts/test-services).

#include "Core/MainThread.h"
#include "Sound/Microphone.h"
#include "TestSoundServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>

namespace {

struct Capture {
    std::mutex mutex;
    size_t samples = 0;
    float loudest = 0;
    bool levelIsRms = true;
    bool onMainThread = false;

    void take(const std::vector<float>& block, float level)
    {
        float sumOfSquares = 0;
        for (float sample : block)
            sumOfSquares += sample * sample;
        const float rms = std::sqrt(sumOfSquares / static_cast<float>(block.size()));
        std::lock_guard lock(mutex);
        samples += block.size();
        loudest = std::max(loudest, level);
        levelIsRms = levelIsRms && std::abs(rms - level) <= 1e-5f;
        onMainThread = onMainThread || isMainThread();
    }
    size_t count()
    {
        std::lock_guard lock(mutex);
        return samples;
    }
};

constexpr const char* noServerHint =
    "no sound server: run the tests through scripts/test (it starts one), or set QUILLMARSH_NO_SOUND_SERVER=1";

}

TEST(Microphone, CapturesTheDefaultInputAs16kMonoWithItsLevel)
{
    if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
        GTEST_SKIP() << "QUILLMARSH_NO_SOUND_SERVER is set";
    Capture capture;
    Microphone microphone;
    microphone.onAudio = [&](const std::vector<float>& block, float level) { capture.take(block, level); };
    microphone.start();
    microphone.start();  // starting again changes nothing
    EXPECT_TRUE(microphone.isRunning());
    // The input plays in real time, so 16 kHz output means 16,000 samples a second. Counting
    // starts after the first half second, which may hold what the server had buffered.
    ASSERT_TRUE(waitUntil([&] { return capture.count() >= 8000; }, std::chrono::seconds(20))) << noServerHint;
    const size_t first = capture.count();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return capture.count() >= first + 32000; }, std::chrono::seconds(20)));
    const double perSecond =
        static_cast<double>(capture.count() - first) / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
    microphone.stop();
    microphone.stop();
    EXPECT_FALSE(microphone.isRunning());
    const size_t afterStop = capture.count();

    std::lock_guard lock(capture.mutex);
    EXPECT_GT(perSecond, 12000) << "48 kHz stereo input converted to 16 kHz mono";
    EXPECT_LT(perSecond, 20000) << "48 kHz stereo input converted to 16 kHz mono";
    EXPECT_GT(capture.loudest, 0.02f) << "the speech is heard";
    EXPECT_TRUE(capture.levelIsRms) << "each block's level is its root mean square";
    EXPECT_FALSE(capture.onMainThread) << "audio arrives on the audio thread";
    EXPECT_EQ(capture.samples, afterStop) << "nothing arrives after stop() returned";

    // Declared before the microphone: its audio thread may call in until the microphone is gone.
    std::atomic<size_t> heard{0};
    Microphone again;  // the input is free again for the next dictation
    again.onAudio = [&](const std::vector<float>& block, float) { heard += block.size(); };
    again.start();
    EXPECT_TRUE(waitUntil([&] { return heard > 0; }, std::chrono::seconds(20)));
}

TEST(Microphone, AnInputWhoseRateHasNoConverterIsAnInputError)
{
    if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
        GTEST_SKIP() << "QUILLMARSH_NO_SOUND_SERVER is set";
    // No converter reaches 16 kHz from 40 Hz. This process alone takes it as its default input.
    const TestSoundServer::PluggedInput slow(QStringLiteral("quillmarsh_slow"), QStringLiteral("Slow"),
                                             {QStringLiteral("rate=40")});
    const ScopedEnvironment defaultInput("PULSE_SOURCE", QStringLiteral("quillmarsh_slow"));
    Microphone microphone;
    try {
        microphone.start();
        FAIL() << "an input that can't be converted must not start";
    } catch (const AudioInputError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("The microphone couldn\u2019t start (no converter from 40 Hz)."));
    }
    EXPECT_FALSE(microphone.isRunning());
}

TEST(Microphone, AMonitorChosenAsTheDefaultIsToldApartFromNoMicrophone)
{
    if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
        GTEST_SKIP() << "QUILLMARSH_NO_SOUND_SERVER is set";
    TestSoundServer::PrivateServer bare(TestSoundServer::PrivateServer::Inputs::none);
    ASSERT_TRUE(bare.start());
    ASSERT_TRUE(waitUntil([&] { return bare.answers(); }, std::chrono::seconds(20)));
    struct Case {
        const char* name;
        const char* variable;
        QString value;
        QString told;
    };
    const Case cases[] = {
        // The test server's own microphone is there beside the monitor this process takes.
        {"the speakers' monitor chosen beside a microphone", "PULSE_SOURCE",
         QStringLiteral("quillmarsh_speaker.monitor"),
         QStringLiteral("The default input is the speakers\u2019 monitor. Choose a microphone in the sound settings.")},
        // The server falls back on its output's monitor: the only thing it could record.
        {"a server without a microphone", "PULSE_SERVER", QString::fromUtf8(bare.address()),
         QStringLiteral("There\u2019s no microphone. Plug one in, or choose one in the sound settings.")},
    };
    for (const Case& c : cases) {
        const ScopedEnvironment input(c.variable, c.value);
        Microphone microphone;
        try {
            microphone.start();
            ADD_FAILURE() << c.name << ": a monitor must not be recorded";
        } catch (const AudioInputError& error) {
            EXPECT_EQ(error.description(), c.told) << c.name;
        }
        EXPECT_FALSE(microphone.isRunning()) << c.name;
    }
}
