#include "Cloud/FailoverStream.h"
#include "Cloud/RouterError.h"
#include "Cloud/SpeechRouter.h"
#include "Completion.h"
#include "FakeStreams.h"
#include "LogLines.h"
#include "ManualClock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString skipped = QStringLiteral("speech server skipped for now (it failed recently); using this computer");

class SpeechRouterTest : public testing::Test {
protected:
    SpeechRouterTest()
    {
        local->make = [] { return std::make_shared<FakeLocalStream>(); };
        cloud->make = [this] {
            lastServer = std::make_shared<FakeServerStream>();
            lastServer->ready = true;
            return lastServer;
        };
    }

    std::unique_ptr<SpeechRouter> makeRouter(SpeechRouter::Mode mode)
    {
        return std::make_unique<SpeechRouter>(
            mode, FailoverStream::Options{}, clock, [this] { return hasLocal ? local : nullptr; },
            [this] { return hasCloud ? cloud : nullptr; });
    }

    // One automatic dictation whose server fails (or delivers) during finish.
    void dictate(SpeechRouter& router, bool serverFails)
    {
        auto stream = router.openStream({});
        stream->accept(std::vector<float>(160, 0.1f));
        Completion completion;
        stream->finish(completion.callback());
        if (lastServer && lastServer->done) {
            if (serverFails)
                lastServer->failed = CloudError::timeout();
            lastServer->done(QStringLiteral("server"));
        }
        ASSERT_TRUE(completion.wait());
        lastServer.reset();
    }

    ManualClock clock;
    std::shared_ptr<FakeEngine> local = std::make_shared<FakeEngine>();
    std::shared_ptr<FakeEngine> cloud = std::make_shared<FakeEngine>();
    std::shared_ptr<FakeServerStream> lastServer;
    bool hasLocal = true;
    bool hasCloud = true;
    LogLines log;
};

}

TEST_F(SpeechRouterTest, TwoFailuresInARowSkipTheServerForSixtySeconds)
{
    auto router = makeRouter(SpeechRouter::Mode::automatic);
    // After the cool-down the server is tried again and one more failure starts the next at
    // once; a success clears the count, so one failure no longer skips.
    const struct {
        std::chrono::seconds wait;
        bool serverFails;
        int serverOpened;
    } steps[] = {{0s, true, 1},  {0s, true, 2},   {0s, false, 2}, {59s, false, 2}, {1s, true, 3},
                 {0s, false, 3}, {60s, false, 4}, {0s, true, 5},  {0s, false, 6}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        clock.advance(steps[i].wait);
        dictate(*router, steps[i].serverFails);
        EXPECT_EQ(cloud->opened, steps[i].serverOpened) << "step " << i;
        if (i == 2) {
            EXPECT_EQ(log.lines().last(), skipped);
        }
    }
    EXPECT_EQ(log.lines().last(), QStringLiteral("dictation on the speech server (this computer as backup)"));
}

TEST_F(SpeechRouterTest, AServerThatCannotOpenCountsAsAFailureAndThisComputerTakesTheDictation)
{
    cloud->make = []() -> std::shared_ptr<SpeechStream> { throw Error(QStringLiteral("no route")); };
    auto router = makeRouter(SpeechRouter::Mode::automatic);
    auto stream = router->openStream({QStringLiteral("Qom")});
    EXPECT_NE(std::dynamic_pointer_cast<FakeLocalStream>(stream), nullptr);
    EXPECT_EQ(local->lastHotwords, QStringList{"Qom"});
    EXPECT_EQ(log.lines(), QStringList{"speech server unavailable (no route); using this computer"});
    router->openStream({});
    router->openStream({});
    EXPECT_EQ(cloud->opened, 2);
    EXPECT_EQ(log.lines().last(), skipped);
}

TEST_F(SpeechRouterTest, AutomaticModeUsesWhatIsAvailable)
{
    auto router = makeRouter(SpeechRouter::Mode::automatic);
    hasCloud = false;
    EXPECT_NE(std::dynamic_pointer_cast<FakeLocalStream>(router->openStream({})), nullptr);
    hasLocal = false;
    try {
        router->openStream({});
        ADD_FAILURE() << "no engine at all did not throw";
    } catch (const RouterError& error) {
        EXPECT_EQ(error, RouterError(RouterError::Kind::noEngine));
        EXPECT_EQ(error.description(), QStringLiteral("the speech model isn't ready yet"));
    }

    // A bare server stream: its failures are neither recorded nor handed on.
    hasCloud = true;
    int refusals = 0;
    router->setOnRefusal([&](const QString&) { ++refusals; });
    for (int i = 0; i < 3; ++i) {
        auto stream = router->openStream({});
        EXPECT_EQ(stream, lastServer);
        lastServer->failed = CloudError::server(QStringLiteral("unauthorized"), {});
        stream->accept(std::vector<float>(10, 0.0f));
    }
    EXPECT_EQ(refusals, 0);
    EXPECT_EQ(cloud->opened, 3);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(SpeechRouterTest, CloudModeNeverFallsBackAndLocalModeIgnoresTheServer)
{
    auto router = makeRouter(SpeechRouter::Mode::cloud);
    hasCloud = false;
    EXPECT_THROW(router->openStream({}), RouterError);
    hasCloud = true;
    dictate(*makeRouter(SpeechRouter::Mode::automatic), true);
    EXPECT_EQ(router->openStream({}), lastServer);
    EXPECT_EQ(log.lines().last(), QStringLiteral("dictation on the speech server (no backup)"));

    router->setMode(SpeechRouter::Mode::local);
    EXPECT_EQ(router->mode(), SpeechRouter::Mode::local);
    EXPECT_NE(std::dynamic_pointer_cast<FakeLocalStream>(router->openStream({})), nullptr);
    hasLocal = false;
    EXPECT_THROW(router->openStream({}), RouterError);
    EXPECT_EQ(cloud->opened, 2);
}

TEST_F(SpeechRouterTest, StreamsOutliveTheirRouterSafely)
{
    auto router = makeRouter(SpeechRouter::Mode::automatic);
    auto stream = router->openStream({});
    auto server = lastServer;
    router.reset();
    server->failed = CloudError::server(QStringLiteral("unauthorized"), {});
    stream->accept(std::vector<float>(10, 0.0f));
    EXPECT_TRUE(std::dynamic_pointer_cast<FailoverStream>(stream)->isUsingFallback());
}
