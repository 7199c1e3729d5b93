// Dictations that start on the loopback speech server and hand over to the synthetic local
// recogniser, through the router as the application uses it. The synthetic model reads noise
// as "HELLO WORLD" and silence as nothing, so the final text shows whether the replay arrived.

#include "Cloud/CloudEngine.h"
#include "Cloud/FailoverStream.h"
#include "Cloud/SpeechRouter.h"
#include "Completion.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "Recognition/Recognizer.h"
#include "TestSpeechServer.h"
#include "TestSupport.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace CloudProtocol;

namespace {

class FailoverToRecognizerTest : public testing::Test {
protected:
    // Feeds the audio as a dictation session does: a tenth of a second per block, the clock moving along.
    void speak(SpeechStream& stream, const std::vector<float>& audio)
    {
        for (size_t offset = 0; offset < audio.size(); offset += 1600) {
            clock.advance(100ms);
            stream.accept(std::span(audio).subspan(offset, std::min<size_t>(1600, audio.size() - offset)));
            stream.decode();
            (void)stream.text();
        }
    }

    static std::optional<QString> finished(SpeechStream& stream)
    {
        Completion completion;
        stream.finish(completion.callback());
        EXPECT_TRUE(completion.wait());
        return completion.text();
    }

    TestSpeechServer server;
    ManualClock clock;
    std::shared_ptr<Recognizer> recognizer = std::make_shared<Recognizer>(RecognizerConfig(TestModels::transducer()));
    std::shared_ptr<CloudEngine> cloud =
        std::make_shared<CloudEngine>(CloudConfig(server.url(), std::nullopt), TokenProvider{}, clock);
    SpeechRouter router{SpeechRouter::Mode::automatic, FailoverStream::Options{}, clock, [this] { return recognizer; },
                        [this] { return cloud; }};
    LogLines log;
};

}

TEST_F(FailoverToRecognizerTest, AServerThatNeverSendsReadyHandsOverWithAllAudioReplayed)
{
    server.script = TestSpeechServer::onStart({});
    auto stream = router.openStream({});
    // Words only before the hand-over: they reach the local recogniser only through the replay.
    speak(*stream, TestAudio::noise(1.1));
    ASSERT_TRUE(std::dynamic_pointer_cast<FailoverStream>(stream)->isUsingFallback());
    speak(*stream, TestAudio::silence(1.0));

    EXPECT_EQ(finished(*stream), QStringLiteral("HELLO WORLD"));
    EXPECT_TRUE(log.lines().contains("cloud dictation failed (no answer within 1.0 s); continuing on this computer"));

    // The server saw the start, the 1.1 s before the deadline passed, the cancel and a normal close.
    ASSERT_TRUE(server.waitForClose(0));
    const auto& connection = server.connection(0);
    EXPECT_EQ(connection.audioFrames().size(), 22);
    EXPECT_EQ(connection.texts().last(), QByteArray(R"({"type":"cancel"})"));
    EXPECT_EQ(connection.closeCode, 1000);
}

TEST_F(FailoverToRecognizerTest, GivingUpOnAServerThatNeverCompletesTheHandshakeClosesItsConnection)
{
    // Takes the connection and never answers the WebSocket upgrade.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    cloud = std::make_shared<CloudEngine>(
        CloudConfig(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(silent.serverPort())), std::nullopt), TokenProvider{},
        clock);
    auto stream = router.openStream({});
    QTcpSocket* connection = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (connection = silent.nextPendingConnection()) != nullptr; }));

    speak(*stream, TestAudio::noise(1.1));
    ASSERT_TRUE(std::dynamic_pointer_cast<FailoverStream>(stream)->isUsingFallback());
    speak(*stream, TestAudio::silence(4.0));  // past the five seconds the server has to answer
    EXPECT_TRUE(waitUntil([&] { return connection->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(finished(*stream), QStringLiteral("HELLO WORLD"));
}

TEST_F(FailoverToRecognizerTest, AServerFailingMidStreamHandsOverAtTheNextBlock)
{
    server.script = TestSpeechServer::onStart({TestSpeechServer::ready(), TestSpeechServer::partial("HEL")});
    auto stream = router.openStream({});
    speak(*stream, TestAudio::noise(0.5));
    ASSERT_TRUE(server.waitForFrames(0, 11));
    ASSERT_TRUE(waitUntil([&] { return stream->text() == QStringLiteral("HEL"); }));
    server.connection(0).close(1011);
    ASSERT_TRUE(waitUntil([&] { return log.mentions("cloud dictation: connection problem"); }));

    speak(*stream, TestAudio::silence(0.5));
    ASSERT_TRUE(std::dynamic_pointer_cast<FailoverStream>(stream)->isUsingFallback());
    EXPECT_EQ(finished(*stream), QStringLiteral("HELLO WORLD"));
}

TEST_F(FailoverToRecognizerTest, AServerFailingAtFinishLetsTheRecogniserDeliverTheText)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start)
            connection.send(TestSpeechServer::ready());
        else if (message.type == ClientKind::finish)
            connection.send(TestSpeechServer::error(ErrorCode::engine, QStringLiteral("crashed")));
    };
    auto stream = router.openStream({});
    // The clock stands still, so the ready deadline cannot pass: the server keeps the dictation.
    stream->accept(TestAudio::noise(1.0));
    stream->decode();
    ASSERT_TRUE(server.waitForFrames(0, 21));

    EXPECT_EQ(finished(*stream), QStringLiteral("HELLO WORLD"));
    EXPECT_TRUE(log.lines().contains("cloud dictation failed (the server didn't deliver the final text); "
                                     "continuing on this computer"));
}

TEST_F(FailoverToRecognizerTest, AnUnauthorizedServerReachesOnRefusalExactlyOnce)
{
    QStringList refusals;
    router.setOnRefusal([&](const QString& code) { refusals.append(code); });
    server.script = TestSpeechServer::onStart({TestSpeechServer::error(ErrorCode::unauthorized, "expired")});
    auto stream = router.openStream({});
    ASSERT_TRUE(waitUntil([&] { return log.mentions("unauthorized"); }));
    speak(*stream, TestAudio::noise(0.5));
    EXPECT_EQ(finished(*stream), QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(refusals, QStringList{"unauthorized"});
}
