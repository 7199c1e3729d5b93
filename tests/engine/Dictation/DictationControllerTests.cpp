#include "Dictation/DictationController.h"
#include "DictationFakes.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestSupport.h"

#include <QCoreApplication>

#include <algorithm>

#include <gtest/gtest.h>

using Phase = DictationController::Phase;
using std::chrono::milliseconds;

namespace {

struct Rig {
    ManualClock clock;
    std::shared_ptr<FakeEngine> engine = std::make_shared<FakeEngine>();
    bool engineReady = true;
    std::vector<std::shared_ptr<FakeSource>> sources;
    QString sourceFailure;
    std::optional<AudioInputError> inputFailure;
    std::unique_ptr<DictationController> controller;

    std::vector<Phase> phases;
    std::vector<Partial> partials;
    std::vector<std::pair<QString, double>> finals;
    int levels = 0;
    int cancels = 0;
    QStringList unavailable;

    Rig()
    {
        controller = std::make_unique<DictationController>(
            [this]() -> std::shared_ptr<SpeechEngine> { return engineReady ? engine : nullptr; }, clock);
        controller->makeSource = [this] {
            sources.push_back(std::make_shared<FakeSource>());
            sources.back()->failure = sourceFailure;
            sources.back()->inputFailure = inputFailure;
            return sources.back();
        };
        controller->onPhase = [this](Phase phase) { phases.push_back(phase); };
        controller->onPartial = [this](const Partial& partial) { partials.push_back(partial); };
        controller->onFinal = [this](const QString& text, double seconds) { finals.emplace_back(text, seconds); };
        controller->onLevel = [this](float) { ++levels; };
        controller->onCancel = [this] { ++cancels; };
        controller->onUnavailable = [this](const QString& reason) { unavailable << reason; };
    }

    void streams(QStringList texts, FakeStream::Completion completion = FakeStream::Completion::inside,
                 QString finalText = QStringLiteral("final words"))
    {
        engine->configure = [=](FakeStream& stream) {
            stream.texts = texts;
            stream.completion = completion;
            stream.finalText = finalText;
        };
    }

    void press(milliseconds held, bool chord = false)
    {
        controller->keyDown();
        clock.advance(held);
        controller->keyUp(chord);
    }

    // Pushes a block through the current dictation's source and waits until its partial is in.
    void speak(size_t expectedPartials, std::vector<float> samples = std::vector<float>(160, 0.2f))
    {
        sources.back()->push(samples, 0.3f);
        EXPECT_TRUE(waitUntil([&] { return partials.size() >= expectedPartials; }));
    }

    bool awaitFinal(size_t count = 1)
    {
        return waitUntil([&] { return finals.size() >= count; });
    }
};

}

// The key rules as a table: key steps in, phases and cancels out.
TEST(DictationController, FollowsTheKeyRules)
{
    enum class Key { press, chord, down, up, escape, wait };
    struct Step {
        Key key;
        int ms = 0;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Phase> phases;
        int cancels;
    };
    const Step tap{Key::press, 100};
    const auto h = Phase::holding, i = Phase::idle, f = Phase::finishing, free = Phase::handsFree;
    const std::vector<Case> cases{
        {"a tap cancels", {tap}, {h, i}, 1},
        {"just under the tap limit", {{Key::press, 259}}, {h, i}, 1},
        {"exactly the tap limit finishes", {{Key::press, 260}}, {h, f}, 0},
        {"a long press finishes", {{Key::press, 2000}}, {h, f}, 0},
        {"releases 250 ms apart", {tap, {Key::wait, 150}, tap}, {h, i, h, free}, 1},
        {"releases 499 ms apart", {tap, {Key::wait, 399}, tap}, {h, i, h, free}, 1},
        {"releases 500 ms apart", {tap, {Key::wait, 400}, tap}, {h, i, h, i}, 2},
        {"releases 900 ms apart", {tap, {Key::wait, 800}, tap}, {h, i, h, i}, 2},
        {"a chord while holding cancels", {{Key::chord, 2000}}, {h, i}, 1},
        {"Escape while holding cancels", {{Key::down}, {Key::escape}}, {h, i}, 1},
        {"Escape and key up in idle do nothing", {{Key::escape}, {Key::up}}, {}, 0},
        {"in hands-free only a tap finishes",
         {tap, tap, {Key::press, 260}, {Key::chord, 100}, {Key::chord, 5000}, {Key::press, 259}},
         {h, i, h, free, f},
         1},
        {"in hands-free Escape cancels", {tap, tap, {Key::escape}}, {h, i, h, free, i}, 2},
        {"entering hands-free spends the remembered tap", {tap, tap, {Key::escape}, tap}, {h, i, h, free, i, h, i}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        LogLines log;
        for (const Step& step : c.steps) {
            if (step.key == Key::press || step.key == Key::chord)
                rig.press(milliseconds(step.ms), step.key == Key::chord);
            else if (step.key == Key::down)
                rig.controller->keyDown();
            else if (step.key == Key::up)
                rig.controller->keyUp(false);
            else if (step.key == Key::escape)
                rig.controller->escape();
            else
                rig.clock.advance(milliseconds(step.ms));
        }
        EXPECT_EQ(rig.phases, c.phases);
        EXPECT_EQ(rig.cancels, c.cancels);
        int streamCancels = 0;
        for (const auto& stream : rig.engine->streams)
            streamCancels += stream->cancels;
        EXPECT_EQ(streamCancels, c.cancels);
        int stops = 0;
        for (const auto& source : rig.sources)
            stops += source->stops;
        EXPECT_EQ(stops, std::ssize(rig.sources) - (rig.controller->phase() == free ? 1 : 0))
            << "every ended dictation's source stopped";
        EXPECT_EQ(log.lines().contains(QStringLiteral("hands-free on")), std::ranges::count(c.phases, free) == 1);
        const bool escaped = std::ranges::any_of(c.steps, [](const Step& step) { return step.key == Key::escape; });
        EXPECT_EQ(log.lines().contains(QStringLiteral("cancelled")), escaped && !c.phases.empty())
            << "only Escape logs it";
        if (!c.phases.empty() && c.phases.back() == f) {
            ASSERT_TRUE(rig.awaitFinal());
            EXPECT_EQ(rig.finals[0].first, QStringLiteral("final words"));
            EXPECT_EQ(rig.phases.back(), Phase::idle);
        }
    }
}

TEST(DictationController, KeysAreIgnoredWhileFinishing)
{
    Rig rig;
    rig.streams({}, FakeStream::Completion::byTest);
    rig.press(milliseconds(1000));
    rig.clock.advance(milliseconds(700));
    rig.press(milliseconds(50));
    rig.controller->escape();
    EXPECT_EQ(rig.controller->phase(), Phase::finishing);
    EXPECT_EQ(rig.engine->streams.size(), 1u) << "no second dictation";

    ASSERT_TRUE(waitUntil([&] { return rig.engine->streams[0]->finishes == 1; }));
    rig.engine->streams[0]->complete();
    ASSERT_TRUE(rig.awaitFinal());
    EXPECT_NEAR(rig.finals[0].second, 0.75, 1e-9) << "measured from the start of finishing, not key down";
    EXPECT_EQ(rig.cancels, 0);
}

TEST(DictationController, ReportsWhyADictationCannotStart)
{
    struct Case {
        bool engineReady;
        const char* engineFailure;
        const char* sourceFailure;
        QString reason;
    };
    for (const Case& c :
         {Case{false, "", "", QStringLiteral("the speech model isn't ready yet")},
          Case{true, "model files missing", "",
               QStringLiteral("the speech engine couldn't start (model files missing)")},
          Case{true, "", "device busy", QStringLiteral("the microphone couldn't start (device busy)")}}) {
        SCOPED_TRACE(c.reason.toStdString());
        Rig rig;
        LogLines log;
        rig.engineReady = c.engineReady;
        rig.engine->failure = QString::fromLatin1(c.engineFailure);
        rig.sourceFailure = QString::fromLatin1(c.sourceFailure);
        rig.press(milliseconds(1000));
        EXPECT_EQ(rig.unavailable, QStringList{c.reason});
        EXPECT_TRUE(log.lines().contains(QStringLiteral("dictation can't start: ") + c.reason));
        EXPECT_TRUE(rig.phases.empty() && rig.cancels == 0);
        if (*c.sourceFailure) {
            EXPECT_EQ(rig.engine->streams[0]->cancels, 1) << "the stream is cancelled";
            EXPECT_EQ(rig.sources[0]->stops, 1) << "the source is told to stop";
        } else {
            EXPECT_TRUE(rig.sources.empty()) << "no source without a stream";
        }
    }

    // The audio input says why in words of its own, which the user reads as they are.
    Rig rig;
    LogLines log;
    rig.inputFailure = AudioInputError::noServer();
    rig.press(milliseconds(1000));
    EXPECT_EQ(rig.unavailable, QStringList{AudioInputError::noServer().description()});
    EXPECT_TRUE(log.lines().contains(QStringLiteral("dictation can't start: ") + rig.unavailable.value(0)));
    EXPECT_EQ(rig.engine->streams[0]->cancels, 1);
}

TEST(DictationController, AnInputLostMidDictationEndsItWithWhatWasHeardAndTheNextOneStartsAfresh)
{
    const QString stopped = AudioInputError::stopped().description();
    Rig rig;
    rig.streams({QStringLiteral("heard")}, FakeStream::Completion::inside, QStringLiteral("heard so far"));
    rig.controller->keyDown();
    rig.speak(1);
    rig.sources.back()->lose(stopped);
    ASSERT_TRUE(rig.awaitFinal());
    EXPECT_EQ(rig.finals[0].first, QStringLiteral("heard so far"));
    EXPECT_EQ(rig.controller->lastInputLoss(), stopped);
    EXPECT_EQ(rig.controller->phase(), Phase::idle);
    EXPECT_EQ(rig.sources.back()->stops, 1);

    // The key that comes up afterwards ends nothing more; the next dictation starts afresh, and a
    // loss told once the user has let go changes nothing.
    rig.controller->keyUp(false);
    rig.streams({}, FakeStream::Completion::byTest);
    rig.press(milliseconds(1000));
    ASSERT_TRUE(waitUntil([&] { return rig.engine->streams[1]->finishes == 1; }));
    rig.sources.back()->lose(stopped);
    QCoreApplication::processEvents();
    rig.engine->streams[1]->complete();
    ASSERT_TRUE(rig.awaitFinal(2));
    EXPECT_EQ(rig.controller->lastInputLoss(), std::nullopt);
}

TEST(DictationController, StartsWithTheVocabularyTransformsTheTextAndKeepsTheAudioWhenAsked)
{
    Rig rig;
    rig.streams({QStringLiteral("new"), QStringLiteral("new york"), QStringLiteral("new york city")},
                FakeStream::Completion::inside, QStringLiteral("new york city"));
    rig.controller->transform = [](const QString& text) {
        return QString(text).replace(QStringLiteral("new york"), QStringLiteral("New-York"));
    };
    rig.controller->keepsAudio = [] { return true; };
    rig.controller->hotwords = [] { return QStringList{QStringLiteral("Tehran"), QStringLiteral("Shiraz")}; };
    LogLines log;
    rig.controller->keyDown();
    EXPECT_EQ(rig.engine->lastHotwords.size(), 2);
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("dictation with 2 vocabulary word(s)"),
                                        QStringLiteral("dictation start: engine 0 ms, microphone 0 ms")}));
    for (size_t partial = 1; partial <= 3; ++partial)
        rig.speak(partial, std::vector<float>(100, 0.1f * static_cast<float>(partial)));
    const std::vector<Partial> expected{
        {QStringLiteral("new"), {QStringLiteral("new")}, 1},
        {QStringLiteral("New-York"), {QStringLiteral("New-York")}, 1},
        {QStringLiteral("New-York city"), {QStringLiteral("New-York"), QStringLiteral("city")}, 2},
    };
    EXPECT_EQ(rig.partials, expected);
    EXPECT_GT(rig.levels, 0);
    rig.clock.advance(milliseconds(300));
    rig.controller->keyUp(false);
    ASSERT_TRUE(rig.awaitFinal());
    EXPECT_EQ(rig.finals[0].first, QStringLiteral("New-York city"));
    const std::vector<float> audio = rig.controller->takeLastAudio();
    ASSERT_EQ(audio.size(), 300u) << "the dictation's audio is kept when asked";
    EXPECT_FLOAT_EQ(audio[299], 0.3f);
}

TEST(DictationController, ACancelledDictationsWordsNeverReachTheNextOne)
{
    Rig rig;
    rig.streams({QStringLiteral("old words")});
    rig.controller->keyDown();
    rig.sources[0]->push(std::vector<float>(160, 0.2f));
    rig.sources[0]->push(std::vector<float>(160, 0.2f));
    // The second block reaching the stream means the first one's partial was posted; the main
    // thread has not delivered it yet.
    while (rig.engine->streams[0]->blocks() < 2)
        std::this_thread::yield();
    rig.clock.advance(milliseconds(100));
    rig.controller->keyUp(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.partials.empty()) << "nothing of a cancelled dictation shows after the cancel";

    rig.streams({QStringLiteral("new words")});
    rig.controller->keyDown();
    rig.speak(1);
    QCoreApplication::processEvents();
    for (const Partial& partial : rig.partials)
        EXPECT_EQ(partial.text, QStringLiteral("new words"));
}

TEST(DictationController, AReleasedControllerDeliversNothing)
{
    Rig rig;
    rig.streams({}, FakeStream::Completion::byTest);
    rig.press(milliseconds(1000));
    auto stream = rig.engine->streams[0];
    ASSERT_TRUE(waitUntil([&] { return stream->finishes == 1; }));
    rig.controller.reset();
    stream->complete();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.finals.empty());
}
