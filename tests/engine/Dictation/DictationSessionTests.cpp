#include "Core/MainThread.h"
#include "Dictation/DictationSession.h"
#include "DictationFakes.h"
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
    int levels = 0;

    explicit SessionRig(QStringList texts = {}, FakeStream::Completion completion = FakeStream::Completion::inside)
    {
        engine.configure = [texts, completion](FakeStream& stream) {
            stream.texts = texts;
            stream.completion = completion;
        };
        session = std::make_unique<DictationSession>(engine, QStringList{}, [this] { return source; });
        session->onPartial = [this](const Partial& partial) {
            EXPECT_TRUE(isMainThread());
            partials.push_back(partial);
        };
        session->onLevel = [this](float level) { levels += level == 0.25f; };
    }

    FakeStream& stream() { return *engine.streams.at(0); }
};

}

TEST(DictationSession, PublishesAPartialOnlyWhenTheTextChanges)
{
    SessionRig rig({QStringLiteral("salam"), QStringLiteral("salam"), QStringLiteral("salam  donya  ye"),
                    QStringLiteral("salam  donya  ye"), QString()});
    rig.session->start();
    for (int i = 0; i < 5; ++i)
        rig.source->push(block(), 0.25f);
    ASSERT_TRUE(waitUntil([&] { return rig.partials.size() >= 3 && rig.levels == 5; }));
    const std::vector<Partial> expected{
        {QStringLiteral("salam"), {QStringLiteral("salam")}, 1},
        {QStringLiteral("salam  donya  ye"),
         {QStringLiteral("salam"), QStringLiteral("donya"), QStringLiteral("ye")},
         2},
        {QString(), {}, 0},
    };
    EXPECT_EQ(rig.partials, expected);
}

TEST(DictationSession, EndsOnceWhicheverOfFinishAndCancelComesFirst)
{
    for (bool cancelFirst : {true, false}) {
        SessionRig rig({}, FakeStream::Completion::byTest);
        rig.session->start();
        int completions = 0;
        const auto finish = [&] { rig.session->finish([&](const QString&) { ++completions; }); };
        if (cancelFirst)
            rig.session->cancel();
        finish();
        rig.session->cancel();
        finish();
        rig.session->takeRecordedAudio();
        EXPECT_EQ(rig.stream().cancels, cancelFirst ? 1 : 0);
        EXPECT_EQ(rig.stream().finishes, cancelFirst ? 0 : 1);
        if (!cancelFirst) {
            rig.stream().complete();
            ASSERT_TRUE(waitUntil([&] { return completions > 0; }));
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(completions, cancelFirst ? 0 : 1);
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
    rig.source->push(block(600'000, 0.7f));  // fills it exactly
    rig.source->push(block(1, 0.9f));
    const std::vector<float> kept = rig.session->takeRecordedAudio();
    ASSERT_EQ(kept.size(), DictationSession::maxRecordedSamples);
    EXPECT_FLOAT_EQ(kept[8'999'999], 0.08f);
    EXPECT_FLOAT_EQ(kept[9'000'000], 0.7f);
    EXPECT_FLOAT_EQ(kept.back(), 0.7f);
    EXPECT_EQ(rig.stream().blocks(), 12u) << "the stream hears every block";
}

TEST(DictationSession, DropsLateCallbacksOnceReleased)
{
    int partials = 0;
    {
        SessionRig rig({QStringLiteral("late")});
        rig.session->onPartial = [&](const Partial&) { ++partials; };
        rig.session->start();
        rig.source->push(block());
        rig.session->takeRecordedAudio();  // the partial is posted, not yet delivered
        rig.session->cancel();
        rig.session.reset();
        rig.source->push(block());  // a block racing the release reaches nothing
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(partials, 0);
}
