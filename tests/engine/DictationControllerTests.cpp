#include "DictationController.h"
#include "DictationFakes.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestSupport.h"

#include <QCoreApplication>

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
    std::unique_ptr<DictationController> controller;

    std::vector<Phase> phases;
    std::vector<Partial> partials;
    std::vector<std::pair<QString, double>> finals;
    std::vector<float> levels;
    int cancels = 0;
    QStringList unavailable;

    Rig()
    {
        controller = std::make_unique<DictationController>(
            [this]() -> std::shared_ptr<SpeechEngine> { return engineReady ? engine : nullptr; }, clock);
        controller->makeSource = [this] {
            auto source = std::make_shared<FakeSource>();
            source->failure = sourceFailure;
            sources.push_back(source);
            return source;
        };
        controller->onPhase = [this](Phase phase) { phases.push_back(phase); };
        controller->onPartial = [this](const Partial& partial) { partials.push_back(partial); };
        controller->onFinal = [this](const QString& text, double seconds) { finals.emplace_back(text, seconds); };
        controller->onLevel = [this](float level) { levels.push_back(level); };
        controller->onCancel = [this] { ++cancels; };
        controller->onUnavailable = [this](const QString& reason) { unavailable << reason; };
    }

    void streams(QStringList texts, FakeStream::Completion completion = FakeStream::Completion::inside)
    {
        engine->configure = [texts, completion](FakeStream& stream) {
            stream.texts = texts;
            stream.completion = completion;
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

TEST(DictationController, APressShorterThanTapMaxCancelsAndALongerOneFinishes)
{
    struct Case {
        int heldMs;
        bool finishes;
    };
    for (const Case& c : {Case{100, false}, Case{259, false}, Case{260, true}, Case{2000, true}}) {
        SCOPED_TRACE(c.heldMs);
        Rig rig;
        rig.press(milliseconds(c.heldMs));
        if (c.finishes) {
            EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::finishing}));
            ASSERT_TRUE(rig.awaitFinal());
            EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::finishing, Phase::idle}));
            EXPECT_EQ(rig.finals[0].first, QStringLiteral("final words"));
            EXPECT_EQ(rig.cancels, 0);
        } else {
            EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::idle}));
            EXPECT_EQ(rig.cancels, 1);
            EXPECT_EQ(rig.engine->streams[0]->cancels, 1);
        }
        EXPECT_EQ(rig.sources[0]->stops, 1);
    }
}

TEST(DictationController, ASecondTapSoonAfterACancellingTapListensHandsFree)
{
    struct Case {
        int gapBetweenReleasesMs;
        bool handsFree;
    };
    for (const Case& c : {Case{250, true}, Case{499, true}, Case{500, false}, Case{900, false}}) {
        SCOPED_TRACE(c.gapBetweenReleasesMs);
        Rig rig;
        LogLines log;
        rig.press(milliseconds(100));
        rig.clock.advance(milliseconds(c.gapBetweenReleasesMs - 100));
        rig.press(milliseconds(100));
        if (c.handsFree) {
            EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::idle, Phase::holding, Phase::handsFree}));
            EXPECT_EQ(rig.cancels, 1) << "only the first tap cancels";
            EXPECT_TRUE(log.lines().contains(QStringLiteral("hands-free on")));
            EXPECT_EQ(rig.engine->streams[1]->cancels, 0) << "the second tap's dictation goes on";
        } else {
            EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::idle, Phase::holding, Phase::idle}));
            EXPECT_EQ(rig.cancels, 2);
            EXPECT_FALSE(log.lines().contains(QStringLiteral("hands-free on")));
        }
    }
}

TEST(DictationController, InHandsFreeOnlyATapFinishesAndOnlyEscapeCancels)
{
    Rig rig;
    rig.press(milliseconds(100));
    rig.press(milliseconds(100));
    ASSERT_EQ(rig.controller->phase(), Phase::handsFree);
    const size_t phasesBefore = rig.phases.size();

    rig.press(milliseconds(260));
    rig.press(milliseconds(100), true);
    rig.press(milliseconds(5000), true);
    EXPECT_EQ(rig.controller->phase(), Phase::handsFree) << "long presses and chords change nothing";
    EXPECT_EQ(rig.phases.size(), phasesBefore);
    EXPECT_EQ(rig.engine->streams.size(), 2u) << "no new dictation started";

    rig.press(milliseconds(259));
    EXPECT_EQ(rig.controller->phase(), Phase::finishing);
    ASSERT_TRUE(rig.awaitFinal());
    EXPECT_EQ(rig.controller->phase(), Phase::idle);
    EXPECT_EQ(rig.cancels, 1);

    Rig escaped;
    LogLines log;
    escaped.press(milliseconds(100));
    escaped.press(milliseconds(100));
    escaped.controller->escape();
    EXPECT_EQ(escaped.controller->phase(), Phase::idle);
    EXPECT_EQ(escaped.cancels, 2);
    EXPECT_EQ(escaped.engine->streams[1]->cancels, 1);
    EXPECT_TRUE(log.lines().contains(QStringLiteral("cancelled")));
}

TEST(DictationController, EnteringHandsFreeForgetsTheRememberedTap)
{
    Rig rig;
    rig.press(milliseconds(100));
    rig.clock.advance(milliseconds(100));
    rig.press(milliseconds(100));  // released 200 ms after the first: hands-free
    rig.controller->escape();
    rig.press(milliseconds(100));  // released 300 ms after the first tap, but that one is spent
    EXPECT_EQ(rig.controller->phase(), Phase::idle);
    EXPECT_EQ(rig.cancels, 3);
}

TEST(DictationController, AChordOrEscapeWhileHoldingCancels)
{
    Rig rig;
    LogLines log;
    rig.press(milliseconds(2000), true);
    EXPECT_EQ(rig.phases, (std::vector{Phase::holding, Phase::idle}));
    EXPECT_EQ(rig.cancels, 1);
    EXPECT_FALSE(log.lines().contains(QStringLiteral("cancelled"))) << "a chord cancels without a log line";

    rig.controller->keyDown();
    rig.controller->escape();
    EXPECT_EQ(rig.controller->phase(), Phase::idle);
    EXPECT_EQ(rig.cancels, 2);
    EXPECT_TRUE(log.lines().contains(QStringLiteral("cancelled")));

    rig.controller->escape();
    rig.controller->keyUp(false);
    EXPECT_EQ(rig.cancels, 2) << "Escape and key up in idle do nothing";
    EXPECT_TRUE(rig.finals.empty());
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
    EXPECT_EQ(rig.controller->phase(), Phase::idle);
    EXPECT_EQ(rig.cancels, 0);
}

TEST(DictationController, ReportsWhyADictationCannotStart)
{
    {
        Rig rig;
        LogLines log;
        rig.engineReady = false;
        rig.controller->keyDown();
        rig.clock.advance(milliseconds(1000));
        rig.controller->keyUp(false);
        EXPECT_EQ(rig.unavailable, QStringList{QStringLiteral("the speech model isn't ready yet")});
        EXPECT_TRUE(log.lines().contains(QStringLiteral("dictation can't start: the speech model isn't ready yet")));
        EXPECT_TRUE(rig.phases.empty());
        EXPECT_EQ(rig.cancels, 0);
        EXPECT_TRUE(rig.sources.empty());
    }
    {
        Rig rig;
        LogLines log;
        rig.engine->failure = QStringLiteral("model files missing");
        rig.press(milliseconds(1000));
        const QString reason = QStringLiteral("the speech engine couldn't start (model files missing)");
        EXPECT_EQ(rig.unavailable, QStringList{reason});
        EXPECT_TRUE(log.lines().contains(QStringLiteral("dictation can't start: ") + reason));
        EXPECT_TRUE(rig.sources.empty()) << "no source is made for a stream that never opened";
        EXPECT_TRUE(rig.phases.empty());
    }
    {
        Rig rig;
        LogLines log;
        rig.sourceFailure = QStringLiteral("device busy");
        rig.press(milliseconds(1000));
        const QString reason = QStringLiteral("the microphone couldn't start (device busy)");
        EXPECT_EQ(rig.unavailable, QStringList{reason});
        EXPECT_TRUE(log.lines().contains(QStringLiteral("dictation can't start: ") + reason));
        EXPECT_EQ(rig.engine->streams[0]->cancels, 1) << "the stream is cancelled";
        EXPECT_EQ(rig.sources[0]->stops, 1) << "the source is told to stop";
        EXPECT_TRUE(rig.phases.empty());
        EXPECT_EQ(rig.cancels, 0);
    }
}

TEST(DictationController, LogsTheStartWithItsFiguresAndTheVocabularySize)
{
    Rig rig;
    LogLines log;
    rig.controller->hotwords = [] { return QStringList{QStringLiteral("Tehran"), QStringLiteral("Shiraz")}; };
    rig.controller->keyDown();
    EXPECT_EQ(rig.engine->lastHotwords, (QStringList{QStringLiteral("Tehran"), QStringLiteral("Shiraz")}));
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("dictation with 2 vocabulary word(s)"),
                                           QStringLiteral("dictation start: engine 0 ms, microphone 0 ms")}));
}

TEST(DictationController, TransformsPartialsAndTheFinalText)
{
    Rig rig;
    rig.streams({QStringLiteral("new"), QStringLiteral("new york"), QStringLiteral("new york city")});
    rig.engine->configure = [previous = rig.engine->configure](FakeStream& stream) {
        previous(stream);
        stream.finalText = QStringLiteral("new york city");
    };
    rig.controller->transform = [](const QString& text) {
        return QString(text).replace(QStringLiteral("new york"), QStringLiteral("New-York"));
    };
    rig.controller->keyDown();
    rig.speak(1);
    rig.speak(2);
    rig.speak(3);
    const std::vector<Partial> expected{
        {QStringLiteral("new"), {QStringLiteral("new")}, 1},
        {QStringLiteral("New-York"), {QStringLiteral("New-York")}, 1},
        {QStringLiteral("New-York city"), {QStringLiteral("New-York"), QStringLiteral("city")}, 2},
    };
    EXPECT_EQ(rig.partials, expected);
    EXPECT_FALSE(rig.levels.empty());

    rig.clock.advance(milliseconds(300));
    rig.controller->keyUp(false);
    ASSERT_TRUE(rig.awaitFinal());
    EXPECT_EQ(rig.finals[0].first, QStringLiteral("New-York city"));
}

TEST(DictationController, KeepsTheLastDictationsAudioOnlyWhenAsked)
{
    Rig rig;
    rig.streams({QStringLiteral("a"), QStringLiteral("a b")});
    rig.controller->keepsAudio = [] { return true; };
    rig.controller->keyDown();
    rig.speak(1, std::vector<float>(100, 0.1f));
    rig.speak(2, std::vector<float>(50, 0.2f));
    rig.clock.advance(milliseconds(500));
    rig.controller->keyUp(false);
    ASSERT_TRUE(rig.awaitFinal());
    std::vector<float> expected(100, 0.1f);
    expected.insert(expected.end(), 50, 0.2f);
    EXPECT_EQ(rig.controller->lastAudio(), expected);

    rig.controller->keepsAudio = [] { return false; };
    rig.controller->keyDown();
    rig.speak(3, std::vector<float>(100, 0.1f));
    rig.clock.advance(milliseconds(500));
    rig.controller->keyUp(false);
    ASSERT_TRUE(rig.awaitFinal(2));
    EXPECT_TRUE(rig.controller->lastAudio().empty());
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
    ASSERT_FALSE(rig.partials.empty());
    for (const Partial& partial : rig.partials)
        EXPECT_EQ(partial.text, QStringLiteral("new words"));
}

TEST(DictationController, AReleasedControllerDeliversNothing)
{
    Rig rig;
    rig.streams({}, FakeStream::Completion::byTest);
    rig.press(milliseconds(1000));
    auto stream = rig.engine->streams[0];
    rig.controller.reset();
    stream->complete();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.finals.empty());
}
