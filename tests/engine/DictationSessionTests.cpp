#include "DictationFakes.h"
#include "DictationSession.h"
#include "MainThread.h"
#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

namespace {

std::vector<float> block(size_t size = 160, float value = 0.1f)
{
    return std::vector<float>(size, value);
}

struct SessionRig {
    FakeEngine engine;
    std::shared_ptr<FakeSource> source = std::make_shared<FakeSource>();
    std::unique_ptr<DictationSession> session;
    std::vector<Partial> partials;
    std::vector<float> levels;

    explicit SessionRig(QStringList texts = {}, FakeStream::Completion completion = FakeStream::Completion::inside)
    {
        engine.configure = [texts, completion](FakeStream& stream) {
            stream.texts = texts;
            stream.completion = completion;
        };
        session = std::make_unique<DictationSession>(engine, QStringList{QStringLiteral("Tehran")},
                                                     [this] { return source; });
        session->onPartial = [this](const Partial& partial) {
            EXPECT_TRUE(isMainThread());
            partials.push_back(partial);
        };
        session->onLevel = [this](float level) { levels.push_back(level); };
    }

    FakeStream& stream() { return *engine.streams.at(0); }

    // Finishes and waits for the final text on the main thread.
    std::optional<QString> finish()
    {
        std::optional<QString> text;
        session->finish([&](const QString& final) {
            EXPECT_TRUE(isMainThread());
            EXPECT_FALSE(text) << "the completion runs once";
            text = final;
        });
        waitUntil([&] { return text.has_value(); });
        return text;
    }
};

}

TEST(DictationSession, OpensTheStreamWithTheHotwordsBeforeMakingTheSource)
{
    FakeEngine engine;
    engine.failure = QStringLiteral("model missing");
    bool factoryCalled = false;
    try {
        DictationSession session(engine, {QStringLiteral("Shiraz")}, [&] {
            factoryCalled = true;
            return std::make_shared<FakeSource>();
        });
        FAIL() << "opening the stream failed, so must the session";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), QStringLiteral("model missing"));
    }
    EXPECT_FALSE(factoryCalled);
    EXPECT_EQ(engine.lastHotwords, QStringList{QStringLiteral("Shiraz")});
}

TEST(DictationSession, StartThrowsWhatTheSourceThrows)
{
    SessionRig rig;
    rig.source->failure = QStringLiteral("no input");
    EXPECT_THROW(rig.session->start(), Error);
    EXPECT_EQ(rig.source->starts, 1);
}

TEST(DictationSession, PublishesAPartialOnlyWhenTheTextChanges)
{
    SessionRig rig({QStringLiteral("salam"), QStringLiteral("salam"), QStringLiteral("salam  donya  ye"),
                    QStringLiteral("salam  donya  ye"), QString()});
    rig.session->start();
    for (int i = 0; i < 5; ++i)
        rig.source->push(block(), 0.25f);
    ASSERT_TRUE(waitUntil([&] { return rig.partials.size() >= 3; }));
    waitUntil([&] { return rig.levels.size() == 5; });

    const std::vector<Partial> expected{
        {QStringLiteral("salam"), {QStringLiteral("salam")}, 1},
        {QStringLiteral("salam  donya  ye"), {QStringLiteral("salam"), QStringLiteral("donya"), QStringLiteral("ye")}, 2},
        {QString(), {}, 0},
    };
    EXPECT_EQ(rig.partials, expected);
    EXPECT_EQ(rig.levels, std::vector<float>(5, 0.25f));
    EXPECT_EQ(rig.finish(), QStringLiteral("final words"));
    EXPECT_FALSE(rig.stream().calledOffQueue);
}

TEST(DictationSession, BlocksFromAnotherThreadAllReachTheStreamBeforeTheFinalText)
{
    for (auto completion : {FakeStream::Completion::inside, FakeStream::Completion::laterFromAnotherThread}) {
        SessionRig rig({QStringLiteral("a"), QStringLiteral("a b"), QStringLiteral("a b c")}, completion);
        rig.session->start();
        std::thread audio([&] {
            for (int i = 0; i < 50; ++i)
                rig.source->push(block(320));
        });
        audio.join();
        bool partialsBeforeFinal = false;
        std::optional<QString> text;
        rig.session->finish([&](const QString& final) {
            partialsBeforeFinal = rig.partials.size() == 3;
            text = final;
        });
        ASSERT_TRUE(waitUntil([&] { return text.has_value(); }));
        EXPECT_TRUE(partialsBeforeFinal) << "every partial arrives before the final text";
        EXPECT_EQ(rig.stream().blocks(), 50u);
        EXPECT_EQ(rig.source->stops, 1);
        EXPECT_FALSE(rig.stream().calledOffQueue);
    }
}

TEST(DictationSession, NothingReachesTheStreamAfterItEnded)
{
    SessionRig rig({QStringLiteral("a")});
    rig.session->start();
    rig.source->push(block());
    ASSERT_TRUE(rig.finish());
    rig.source->push(block());
    rig.session->recordedAudio();  // waits for the queue
    EXPECT_EQ(rig.stream().blocks(), 1u);
}

TEST(DictationSession, EndsOnceWhicheverOfFinishAndCancelComesFirst)
{
    {
        SessionRig rig;
        rig.session->start();
        rig.session->cancel();
        bool completed = false;
        rig.session->finish([&](const QString&) { completed = true; });
        rig.session->recordedAudio();
        QCoreApplication::processEvents();
        EXPECT_FALSE(completed) << "finish after cancel never completes";
        EXPECT_EQ(rig.stream().cancels, 1);
        EXPECT_EQ(rig.stream().finishes, 0);
    }
    {
        SessionRig rig({}, FakeStream::Completion::byTest);
        rig.session->start();
        std::optional<QString> text;
        rig.session->finish([&](const QString& final) { text = final; });
        rig.session->cancel();
        bool secondCompleted = false;
        rig.session->finish([&](const QString&) { secondCompleted = true; });
        rig.session->recordedAudio();
        EXPECT_EQ(rig.stream().cancels, 0) << "cancel after finish leaves the stream alone";
        rig.stream().complete();
        ASSERT_TRUE(waitUntil([&] { return text.has_value(); }));
        QCoreApplication::processEvents();
        EXPECT_FALSE(secondCompleted) << "a second finish never completes";
        EXPECT_EQ(rig.stream().finishes, 1);
    }
}

TEST(DictationSession, KeepsWholeBlocksUpToTenMinutes)
{
    SessionRig rig;
    rig.session->keepsAudio = true;
    rig.session->start();
    for (int i = 0; i < 9; ++i)
        rig.source->push(block(1'000'000, static_cast<float>(i) / 100));
    rig.source->push(block(1'000'000, 0.5f));  // would pass the bound: not kept at all
    rig.source->push(block(600'000, 0.7f));    // fills it exactly
    rig.source->push(block(1, 0.9f));
    const std::vector<float> kept = rig.session->recordedAudio();
    ASSERT_EQ(kept.size(), DictationSession::maxRecordedSamples);
    EXPECT_FLOAT_EQ(kept.front(), 0.0f);
    EXPECT_FLOAT_EQ(kept[8'999'999], 0.08f);
    EXPECT_FLOAT_EQ(kept[9'000'000], 0.7f);
    EXPECT_FLOAT_EQ(kept.back(), 0.7f);
    EXPECT_EQ(rig.stream().blocks(), 12u) << "the stream hears every block";
}

TEST(DictationSession, KeepsNothingUnlessAsked)
{
    SessionRig rig;
    rig.session->start();
    rig.source->push(block());
    EXPECT_TRUE(rig.session->recordedAudio().empty());
}

TEST(DictationSession, DropsLateCallbacksOnceReleased)
{
    int partials = 0;
    {
        SessionRig rig({QStringLiteral("late")});
        rig.session->onPartial = [&](const Partial&) { ++partials; };
        rig.session->start();
        rig.source->push(block());
        rig.session->recordedAudio();  // the partial is posted, not yet delivered
        rig.session->cancel();
        rig.session.reset();
        rig.source->push(block());  // a block racing the release reaches nothing
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(partials, 0);
}
