// The dictation core driving the local recogniser on the synthetic model (loud audio reads
// "HELLO WORLD"), with audio pushed from a thread of its own as a microphone would.

#include "Dictation/DictationController.h"
#include "Dictation/DictationSession.h"
#include "DictationFakes.h"
#include "ManualClock.h"
#include "Recognition/Recognizer.h"
#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Pushes the samples in 100 ms blocks from another thread, and waits until all are handed over.
void speakFromAudioThread(FakeSource& source, const std::vector<float>& samples)
{
    std::thread audio([&] {
        for (size_t first = 0; first < samples.size(); first += 1600) {
            const size_t last = std::min(samples.size(), first + 1600);
            source.push(std::vector<float>(samples.begin() + static_cast<long>(first),
                                           samples.begin() + static_cast<long>(last)));
        }
    });
    audio.join();
}

}

TEST(DictationWithRecognizer, BlocksFromAnotherThreadGivePartialsOneFinalAndTheRecording)
{
    const auto recognizer = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducer()));
    auto source = std::make_shared<FakeSource>();
    DictationSession session(*recognizer, {}, [&] { return source; });
    std::vector<Partial> partials;
    session.onPartial = [&](const Partial& partial) { partials.push_back(partial); };
    session.keepsAudio = true;
    session.start();

    std::vector<float> speech = TestAudio::silence(0.3);
    const std::vector<float> noise = TestAudio::noise(1.0);
    speech.insert(speech.end(), noise.begin(), noise.end());
    speakFromAudioThread(*source, speech);

    QStringList finals;
    session.finish([&](const QString& text) { finals << text; });
    ASSERT_TRUE(waitUntil([&] { return !finals.isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(finals, QStringList{QStringLiteral("HELLO WORLD")});
    ASSERT_FALSE(partials.empty());
    EXPECT_EQ(partials.back(),
              (Partial{QStringLiteral("HELLO WORLD"), {QStringLiteral("HELLO"), QStringLiteral("WORLD")}, 2}));
    for (size_t i = 1; i < partials.size(); ++i)
        EXPECT_NE(partials[i].text, partials[i - 1].text) << "a partial only when the text changed";
    EXPECT_EQ(session.takeRecordedAudio(), speech);
}

TEST(DictationWithRecognizer, KeyDownAndUpTurnSpeechIntoFinalTextUnderEveryRule)
{
    const auto recognizer = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducer()));
    ManualClock clock;
    DictationController controller([&]() -> std::shared_ptr<SpeechEngine> { return recognizer; }, clock);
    std::vector<std::shared_ptr<FakeSource>> sources;
    controller.makeSource = [&] {
        sources.push_back(std::make_shared<FakeSource>());
        return sources.back();
    };
    controller.transform = [](const QString& text) { return text.toLower(); };
    QStringList partials;
    QStringList finals;
    controller.onPartial = [&](const Partial& partial) { partials << partial.text; };
    controller.onFinal = [&](const QString& text, double) { finals << text; };

    controller.keyDown();
    speakFromAudioThread(*sources.back(), TestAudio::noise(1.0));
    ASSERT_TRUE(waitUntil([&] { return partials.contains(QStringLiteral("hello world")); }));
    clock.advance(std::chrono::seconds(1));
    controller.keyUp(false);
    ASSERT_TRUE(waitUntil([&] { return finals.size() == 1; }));
    EXPECT_EQ(finals.last(), QStringLiteral("hello world"));

    // A double tap listens hands-free until the next tap.
    clock.advance(std::chrono::seconds(5));
    const auto tap = [&] {
        controller.keyDown();
        clock.advance(std::chrono::milliseconds(100));
        controller.keyUp(false);
    };
    tap();
    tap();
    ASSERT_EQ(controller.phase(), DictationController::Phase::handsFree);
    speakFromAudioThread(*sources.back(), TestAudio::noise(1.0));
    tap();
    ASSERT_TRUE(waitUntil([&] { return finals.size() == 2; }));
    EXPECT_EQ(finals.last(), QStringLiteral("hello world"));
}
