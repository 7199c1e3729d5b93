#include "Cloud/CloudEngine.h"
#include "Cloud/CloudError.h"
#include "Cloud/CloudProtocol.h"
#include "Cloud/MonitoredStream.h"
#include "Completion.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestSpeechServer.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace CloudProtocol;

namespace {

QJsonObject object(const QByteArray& json) { return QJsonDocument::fromJson(json).object(); }

std::vector<float> constant(size_t count, float value) { return std::vector<float>(count, value); }

class CloudStreamTest : public testing::Test {
protected:
    std::shared_ptr<MonitoredStream> open(const QStringList& hotwords = {})
    {
        return std::dynamic_pointer_cast<MonitoredStream>(engine.openStream(hotwords));
    }

    bool waitForFailure(const std::shared_ptr<MonitoredStream>& stream)
    {
        return waitUntil([&] { return stream->failure().has_value(); });
    }

    TestSpeechServer server;
    ManualClock clock;
    std::optional<QString> providerToken;
    CloudEngine engine{CloudConfig(server.url(), QStringLiteral("configured")), [this] { return providerToken; },
                       clock};
};

}

TEST(CloudConfig, SendsAudioOnlyEncryptedOrToThisMachine)
{
    for (const char* accepted : {"wss://speech.example/v1", "WSS://Speech.Example", "ws://localhost:9000/x",
                                 "ws://127.0.0.1", "ws://[::1]:8080/", "WS://LOCALHOST"})
        EXPECT_NO_THROW(CloudConfig(QUrl(accepted), std::nullopt).validate()) << accepted;

    try {
        CloudConfig(QUrl("ws://192.168.1.5:9000/stream"), std::nullopt).validate();
        ADD_FAILURE() << "a private network address was accepted";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.kind(), CloudError::Kind::insecureURL);
        EXPECT_EQ(error.description(), QStringLiteral("refusing to send audio over an unencrypted connection to "
                                                      "ws://192.168.1.5:9000/stream (use wss://)"));
    }
    try {
        CloudConfig(QUrl("wss:///nohost"), std::nullopt).validate();
        ADD_FAILURE() << "an address without a host was accepted";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.kind(), CloudError::Kind::badURL);
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("not a valid server address: ")));
    }
    EXPECT_THROW(CloudConfig(QUrl("https://speech.example"), std::nullopt).validate(), CloudError);
    EXPECT_THROW(CloudEngine(CloudConfig(QUrl("ws://speech.example"), std::nullopt), {}), CloudError);
}

TEST_F(CloudStreamTest, StartMessageCarriesVersionLanguageHotwordsAndTheProvidersToken)
{
    providerToken = QStringLiteral("from-account");
    auto first = open({QStringLiteral("Tehran"), QStringLiteral("a:b")});
    providerToken.reset();
    auto second = open();
    ASSERT_TRUE(server.waitForFrames(0, 1));
    ASSERT_TRUE(server.waitForFrames(1, 1));

    // Connections may be accepted in either order; tell them apart by their hotwords.
    QJsonObject withHotwords = object(server.connection(0).texts().first());
    QJsonObject without = object(server.connection(1).texts().first());
    if (!withHotwords.contains("hotwords"))
        std::swap(withHotwords, without);
    EXPECT_EQ(withHotwords, (QJsonObject{{"type", "start"}, {"version", 1}, {"language", "fa-IR"},
                                         {"hotwords", QJsonArray{"Tehran", "a:b"}}, {"token", "from-account"}}));
    EXPECT_EQ(without, (QJsonObject{{"type", "start"}, {"version", 1}, {"language", "fa-IR"}, {"token", "configured"}}));
}

TEST_F(CloudStreamTest, StartMessageWithoutVocabularyOrTokenHasThreeKeys)
{
    CloudEngine anonymous(CloudConfig(server.url(), std::nullopt), {}, clock);
    auto stream = anonymous.openStream({});
    ASSERT_TRUE(server.waitForFrames(0, 1));
    EXPECT_EQ(object(server.connection(0).texts().first()),
              (QJsonObject{{"type", "start"}, {"version", 1}, {"language", "fa-IR"}}));
}

TEST_F(CloudStreamTest, AudioSentBeforeTheConnectionOpensGoesOutInWholeFramesThenTheTailAndFinish)
{
    server.finalText = QStringLiteral("  سلام world \n");
    auto stream = open();
    // Accepted at once, long before the connection can be open: nothing may be lost.
    std::vector<float> samples = constant(1700, 0.5f);
    samples[800] = -1.0f;
    stream->accept(samples);
    ASSERT_TRUE(server.waitForFrames(0, 3));
    auto& connection = server.connection(0);
    ASSERT_EQ(connection.audioFrames().size(), 2);
    EXPECT_EQ(connection.audioFrames()[0].size(), 1600);
    EXPECT_EQ(connection.audioFrames()[1].size(), 1600);
    EXPECT_EQ(connection.audioFrames()[0].left(2), QByteArray("\xff\x3f", 2));  // 16383
    EXPECT_EQ(connection.audioFrames()[1].left(2), QByteArray("\x01\x80", 2));  // -32767
    EXPECT_FALSE(connection.received[0].binary);

    Completion completion;
    stream->finish(completion.callback());
    ASSERT_TRUE(completion.wait());
    EXPECT_EQ(completion.text(), QStringLiteral("سلام world"));
    ASSERT_EQ(connection.received.size(), 5);
    EXPECT_TRUE(connection.received[3].binary);
    EXPECT_EQ(connection.received[3].data.size(), 200);
    EXPECT_EQ(connection.received[4].data, QByteArray(R"({"type":"finish"})"));
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(connection.closeCode, 1000);
}

TEST_F(CloudStreamTest, PartialTextFollowsTheServerAndAFinalWithoutTextUsesIt)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(TestSpeechServer::ready());
            connection.send(TestSpeechServer::partial(QStringLiteral(" سلام دنیا ")));
            connection.send(ServerMessage{ServerKind::partial, {}, {}, {}}.encode());
        } else if (message.type == ClientKind::finish) {
            connection.send(TestSpeechServer::final(std::nullopt));
        }
    };
    auto stream = open();
    ASSERT_TRUE(waitUntil([&] { return stream->isReady() && stream->text() == QStringLiteral(" سلام دنیا "); }));
    Completion completion;
    stream->finish(completion.callback());
    ASSERT_TRUE(completion.wait());
    EXPECT_EQ(completion.text(), QStringLiteral("سلام دنیا"));
    EXPECT_FALSE(stream->failure());
}

TEST_F(CloudStreamTest, AFinalBeforeFinishClosesAndIsDeliveredByTheLaterFinish)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(TestSpeechServer::final(QStringLiteral("early")));
            connection.send(TestSpeechServer::partial(QStringLiteral("late")));
        }
    };
    auto stream = open();
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1000);
    EXPECT_EQ(stream->text(), QString());

    Completion completion;
    stream->finish(completion.callback());
    EXPECT_EQ(completion.calls(), 1);  // at once, on this thread
    EXPECT_EQ(completion.text(), QStringLiteral("early"));
}

TEST_F(CloudStreamTest, AServerErrorFailsTheStreamAndFinishGivesTheLastPartialWithoutSendingMore)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(TestSpeechServer::ready());
            connection.send(TestSpeechServer::partial(QStringLiteral("so far")));
            connection.send(TestSpeechServer::error(QStringLiteral("busy")));
        }
    };
    LogLines log;
    auto stream = open();
    ASSERT_TRUE(waitForFailure(stream));
    EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::server);
    EXPECT_EQ(stream->failure()->detail(), QStringLiteral("busy"));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("cloud dictation: the server refused: busy ()")));

    stream->accept(constant(1600, 0.1f));
    Completion completion;
    stream->finish(completion.callback());
    EXPECT_EQ(completion.calls(), 1);
    EXPECT_EQ(completion.text(), QStringLiteral("so far"));
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1000);
    EXPECT_EQ(server.connection(0).received.size(), 1);  // the start message only
}

TEST_F(CloudStreamTest, MalformedOrOversizedServerMessagesFailTheStreamCleanly)
{
    const QList<std::function<void(TestSpeechServer::Connection&)>> misbehaviours{
        [](auto& connection) { connection.sendBinary(QByteArray("\x01\x02\x03", 3)); },
        [](auto& connection) { connection.send("{\"type\":\"partial\",\"text\":"); },
        [](auto& connection) { connection.send(R"({"type":"Ready"})"); },
        [](auto& connection) { connection.send(R"({"type":"final","text":["x"]})"); },
        [](auto& connection) {
            connection.send(TestSpeechServer::partial(QString(CloudProtocol::maxMessageBytes, QChar('x'))));
        },
    };
    for (qsizetype i = 0; i < misbehaviours.size(); ++i) {
        server.script = [&, i](TestSpeechServer::Connection& connection, const ClientMessage& message) {
            if (message.type == ClientKind::start) {
                connection.send(TestSpeechServer::partial(QStringLiteral("kept")));
                misbehaviours[i](connection);
            }
        };
        auto stream = open();
        ASSERT_TRUE(waitForFailure(stream)) << i;
        if (i < 4) {
            EXPECT_EQ(stream->failure()->description(),
                      QStringLiteral("unexpected message from the server: not a text message in the expected format"));
        }
        Completion completion;
        stream->finish(completion.callback());
        EXPECT_EQ(completion.text(), QStringLiteral("kept")) << i;
    }
}

TEST_F(CloudStreamTest, TheServerClosingMidStreamIsAConnectionProblem)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(TestSpeechServer::ready());
            connection.close(1011);
        }
    };
    auto stream = open();
    ASSERT_TRUE(waitForFailure(stream));
    EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::connection);
    EXPECT_TRUE(stream->failure()->description().startsWith(QStringLiteral("connection problem: ")));
}

TEST_F(CloudStreamTest, AServerThatNeverSendsReadyTimesOutAfterTheConnectTimeout)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start)
            connection.send(TestSpeechServer::partial(QStringLiteral("words")));
    };
    auto stream = open();
    ASSERT_TRUE(waitUntil([&] { return stream->text() == QStringLiteral("words"); }));
    clock.advance(4900ms);
    EXPECT_FALSE(stream->failure());
    clock.advance(200ms);
    ASSERT_TRUE(stream->failure());
    EXPECT_EQ(stream->failure()->description(), QStringLiteral("the server did not answer in time"));

    Completion completion;
    stream->finish(completion.callback());
    EXPECT_EQ(completion.text(), QStringLiteral("words"));
}

TEST_F(CloudStreamTest, TheWaitForTheFinalTextGrowsWithTheAudioUpToItsCap)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start)
            connection.send(TestSpeechServer::ready());
    };
    for (const auto& [audioSeconds, wait] : {std::pair{10, 6500ms}, std::pair{100, 20000ms}}) {
        auto stream = open();
        ASSERT_TRUE(waitUntil([&] { return stream->isReady(); }));
        stream->accept(constant(size_t(audioSeconds) * 16000, 0.0f));
        Completion completion;
        stream->finish(completion.callback());
        clock.advance(wait - 100ms);
        EXPECT_EQ(completion.calls(), 0) << audioSeconds;
        clock.advance(100ms);
        EXPECT_EQ(completion.calls(), 1) << audioSeconds;
        EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::timeout);
    }
}

TEST_F(CloudStreamTest, CancelSendsTheCancelMessageClosesNormallyAndNeverCompletes)
{
    server.script = [](TestSpeechServer::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start)
            connection.send(TestSpeechServer::ready());
    };
    auto stream = open();
    ASSERT_TRUE(waitUntil([&] { return stream->isReady(); }));
    Completion completion;
    stream->finish(completion.callback());
    stream->cancel();
    stream->cancel();
    ASSERT_TRUE(server.waitForClose(0));
    const auto& connection = server.connection(0);
    EXPECT_EQ(connection.closeCode, 1000);
    EXPECT_EQ(connection.texts().last(), QByteArray(R"({"type":"cancel"})"));
    EXPECT_EQ(connection.texts().count(QByteArray(R"({"type":"cancel"})")), 1);
    clock.advance(30s);
    EXPECT_EQ(completion.calls(), 0);
}

TEST_F(CloudStreamTest, AFinishAfterCancelNeitherCompletesNorSendsAnything)
{
    auto stream = open();
    stream->cancel();
    Completion completion;
    stream->finish(completion.callback());
    ASSERT_TRUE(server.waitForClose(0));
    const QList<QByteArray> texts = server.connection(0).texts();
    EXPECT_EQ(texts.size(), 2);  // start, then cancel: queued until the connection opened
    EXPECT_EQ(texts.last(), QByteArray(R"({"type":"cancel"})"));
    clock.advance(30s);
    EXPECT_EQ(completion.calls(), 0);
}

TEST_F(CloudStreamTest, AStreamDiscardedBeforeItEndsClosesAsGoingAway)
{
    auto stream = open();
    ASSERT_TRUE(server.waitForFrames(0, 1));
    stream.reset();
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1001);
}

TEST_F(CloudStreamTest, AServerThatCannotBeReachedIsAConnectionProblem)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    CloudEngine unreachable(CloudConfig(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(port)), std::nullopt), {}, clock);
    auto stream = std::dynamic_pointer_cast<MonitoredStream>(unreachable.openStream({}));
    stream->accept(constant(1600, 0.2f));
    ASSERT_TRUE(waitForFailure(stream));
    EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::connection);
    Completion completion;
    stream->finish(completion.callback());
    EXPECT_EQ(completion.text(), QString());
}
