#include "Cloud/FailoverStream.h"
#include "Completion.h"
#include "FakeStreams.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

std::vector<float> block(size_t count, float value = 0.1f)
{
    return std::vector<float>(count, value);
}

class FailoverStreamTest : public testing::Test {
protected:
    std::shared_ptr<FailoverStream> make(std::shared_ptr<SpeechStream> primary, FailoverStream::Options options = {})
    {
        return std::make_shared<FailoverStream>(
            std::move(primary), options, clock, [this](bool delivered) { outcomes.push_back(delivered); },
            [this](const QString& code) { refusals.append(code); },
            [this]() -> std::shared_ptr<SpeechStream> {
                if (localError)
                    throw *localError;
                return local;
            });
    }

    // Finishes the dictation; the server, if asked for its final text, answers `serverText`.
    std::optional<QString> finished(FailoverStream& stream, const QString& serverText = {})
    {
        Completion completion;
        stream.finish(completion.callback());
        if (server->done)
            server->done(serverText);
        EXPECT_TRUE(completion.wait());
        return completion.text();
    }

    ManualClock clock;
    std::shared_ptr<FakeServerStream> server = std::make_shared<FakeServerStream>();
    std::shared_ptr<FakeLocalStream> local = std::make_shared<FakeLocalStream>();
    std::optional<Error> localError;
    std::vector<bool> outcomes;
    QStringList refusals;
    LogLines log;
};

}

TEST_F(FailoverStreamTest, AServerReadyInTimeKeepsTheDictationOnTheServer)
{
    auto stream = make(server);
    clock.advance(800ms);
    server->ready = true;
    clock.advance(210ms);
    stream->accept(block(1600));
    stream->decode();
    EXPECT_FALSE(stream->isUsingFallback());
    EXPECT_EQ(stream->text(), QStringLiteral("server partial"));

    Completion completion;
    stream->finish(completion.callback());
    EXPECT_TRUE(outcomes.empty());
    server->done(QStringLiteral("server final"));
    ASSERT_TRUE(completion.wait());
    EXPECT_EQ(completion.text(), QStringLiteral("server final"));
    EXPECT_EQ(outcomes, std::vector<bool>{true});
    EXPECT_FALSE(local->finished);
}

TEST_F(FailoverStreamTest, ALateServerHandsOverWithEveryBlockReplayedOnce)
{
    auto stream = make(server);
    stream->accept(block(1000, 0.1f));
    clock.advance(1010ms);
    stream->accept(block(600, 0.2f));
    ASSERT_TRUE(stream->isUsingFallback());
    EXPECT_TRUE(server->cancelled);
    EXPECT_EQ(local->samples.size(), 1600u);
    EXPECT_EQ(local->samples[999], 0.1f);
    EXPECT_EQ(local->samples[1000], 0.2f);
    EXPECT_EQ(log.lines(), QStringList{"cloud dictation failed (no answer within 1.0 s); continuing on this computer"});
    EXPECT_EQ(outcomes, std::vector<bool>{false});

    stream->accept(block(400));
    stream->decode();
    EXPECT_EQ(server->samples.size(), 1600u);  // later blocks go only to this computer
    EXPECT_EQ(local->samples.size(), 2000u);
    EXPECT_EQ(local->decodes, 1);
    EXPECT_EQ(stream->text(), QStringLiteral("local 2000"));

    EXPECT_EQ(finished(*stream), QStringLiteral("local 2000"));
    EXPECT_EQ(outcomes, std::vector<bool>{false});
}

TEST_F(FailoverStreamTest, WithoutBlocksAfterTheDeadlineFinishChecksHealthFirst)
{
    FailoverStream::Options options;
    options.readyDeadline = 0.25;
    auto stream = make(server, options);
    stream->accept(block(100));
    clock.advance(5s);
    EXPECT_FALSE(stream->isUsingFallback());
    EXPECT_EQ(finished(*stream), QStringLiteral("local 100"));
    EXPECT_EQ(log.lines(),
              QStringList{"cloud dictation failed (no answer within 0.25 s); continuing on this computer"});
}

TEST_F(FailoverStreamTest, TheServerGoesOnWhenTheCopyIsTooLongOrThisComputerCannotTakeOver)
{
    for (const bool tooLong : {true, false}) {
        server = std::make_shared<FakeServerStream>();
        outcomes.clear();
        LogLines runLog;
        FailoverStream::Options options;
        options.maxBufferedSamples = tooLong ? 1000 : options.maxBufferedSamples;
        if (!tooLong)
            localError = Error(QStringLiteral("the speech model isn't ready yet"));
        server->ready = true;
        auto stream = make(server, options);
        stream->accept(block(800));
        stream->accept(block(800));
        server->failed = CloudError::server(QStringLiteral("engine"), QStringLiteral("crashed"));
        stream->accept(block(800));
        EXPECT_FALSE(stream->isUsingFallback());
        EXPECT_FALSE(server->cancelled);
        EXPECT_EQ(server->samples.size(), 2400u);
        EXPECT_EQ(runLog.lines(),
                  QStringList{tooLong ? "cloud dictation failed (the server refused: engine (crashed)) "
                                        "but it's too long to replay; staying with the server"
                                      : "cloud dictation failed (the server refused: engine (crashed)) "
                                        "and this computer couldn't take over: the speech model isn't ready yet"});
        EXPECT_EQ(finished(*stream, QStringLiteral("server partial")), QStringLiteral("server partial"));
        EXPECT_EQ(outcomes, std::vector<bool>{false});
    }
}

TEST_F(FailoverStreamTest, CancelStopsBothStreamsWithoutOutcomeOrCompletion)
{
    auto stream = make(server);
    clock.advance(2s);
    stream->accept(block(10));
    ASSERT_TRUE(stream->isUsingFallback());
    outcomes.clear();
    stream->cancel();
    stream->cancel();
    EXPECT_TRUE(server->cancelled);
    EXPECT_TRUE(local->cancelled);
    Completion completion;
    stream->finish(completion.callback());
    stream->accept(block(10));
    EXPECT_EQ(completion.calls(), 0);
    EXPECT_FALSE(local->finished);
    EXPECT_EQ(local->samples.size(), 10u);
    EXPECT_TRUE(outcomes.empty());
}
