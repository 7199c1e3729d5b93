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
using Server = TestSpeechServer;

namespace {

QJsonObject object(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

const QByteArray cancelMessage = R"({"type":"cancel"})";

class CloudStreamTest : public testing::Test {
protected:
    std::shared_ptr<MonitoredStream> open(const QStringList& hotwords = {}, SpeechEngine* from = nullptr)
    {
        return std::dynamic_pointer_cast<MonitoredStream>((from ? *from : engine).openStream(hotwords));
    }

    bool waitForFailure(const std::shared_ptr<MonitoredStream>& stream)
    {
        return waitUntil([&] { return stream->failure().has_value(); });
    }

    // The text finish delivers; `wait` for an answer from the server, else it must come at once.
    static std::optional<QString> finished(SpeechStream& stream, bool wait = false)
    {
        Completion completion;
        stream.finish(completion.callback());
        if (wait) {
            EXPECT_TRUE(completion.wait());
        }
        EXPECT_EQ(completion.calls(), 1);
        return completion.text();
    }

    TestSpeechServer server;
    ManualClock clock;
    std::optional<QString> providerToken;
    CloudEngine engine{CloudConfig(server.url(), QStringLiteral("configured")), [this] { return providerToken; },
                       clock};
};

}

TEST(CloudConfig, FollowsTheAddressRuleWithItsOwnError)
{
    try {
        CloudEngine(CloudConfig(QUrl("ws://speech.example"), std::nullopt), {});
        ADD_FAILURE() << "a plain address to another computer was accepted";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.kind(), CloudError::Kind::insecureURL);
        EXPECT_EQ(error.description(),
                  "refusing to send audio over an unencrypted connection to ws://speech.example (use wss://)");
    }
}

TEST_F(CloudStreamTest, StartMessageCarriesVersionLanguageHotwordsAndTheToken)
{
    providerToken = QStringLiteral("from-account");
    auto first = open({QStringLiteral("Tehran"), QStringLiteral("a:b")});
    providerToken.reset();
    auto second = open();
    CloudEngine anonymous(CloudConfig(server.url(), std::nullopt), {}, clock);
    ASSERT_TRUE(server.waitForFrames(0, 1) && server.waitForFrames(1, 1));
    auto third = anonymous.openStream({});
    ASSERT_TRUE(server.waitForFrames(2, 1));

    // The first two connections may be accepted in either order; tell them apart by their hotwords.
    QJsonObject withHotwords = object(server.connection(0).texts().first());
    QJsonObject without = object(server.connection(1).texts().first());
    if (!withHotwords.contains("hotwords"))
        std::swap(withHotwords, without);
    const QJsonObject base{{"type", "start"}, {"version", 1}, {"language", "fa-IR"}};
    QJsonObject expected = base;
    expected["hotwords"] = QJsonArray{"Tehran", "a:b"};
    expected["token"] = "from-account";
    EXPECT_EQ(withHotwords, expected);
    expected = base;
    expected["token"] = "configured";
    EXPECT_EQ(without, expected);
    EXPECT_EQ(object(server.connection(2).texts().first()), base);
}

TEST_F(CloudStreamTest, AudioSentBeforeTheConnectionOpensGoesOutInWholeFramesThenTheTailAndFinish)
{
    server.finalText = QStringLiteral("  سلام world \n");
    auto stream = open();
    // Accepted at once, long before the connection can be open: nothing may be lost.
    stream->accept(std::vector<float>(1700, 0.5f));
    ASSERT_TRUE(server.waitForFrames(0, 3));
    auto& connection = server.connection(0);
    ASSERT_EQ(connection.audioFrames().size(), 2);
    EXPECT_EQ(connection.audioFrames()[0].size(), 1600);
    EXPECT_EQ(connection.audioFrames()[1].size(), 1600);
    EXPECT_FALSE(connection.received[0].binary);

    EXPECT_EQ(finished(*stream, true), QStringLiteral("سلام world"));
    ASSERT_EQ(connection.received.size(), 5);
    EXPECT_TRUE(connection.received[3].binary);
    EXPECT_EQ(connection.received[3].data.size(), 200);
    EXPECT_EQ(connection.received[4].data, QByteArray(R"({"type":"finish"})"));
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(connection.closeCode, 1000);
}

TEST_F(CloudStreamTest, PartialTextFollowsTheServerAndAFinalWithoutTextUsesIt)
{
    server.script = [](Server::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(Server::ready());
            connection.send(Server::partial(QStringLiteral(" سلام دنیا ")));
            connection.send(ServerMessage{ServerKind::partial, {}, {}, {}}.encode());
        } else if (message.type == ClientKind::finish) {
            connection.send(Server::final(std::nullopt));
        }
    };
    auto stream = open();
    ASSERT_TRUE(waitUntil([&] { return stream->isReady() && stream->text() == QStringLiteral(" سلام دنیا "); }));
    EXPECT_EQ(finished(*stream, true), QStringLiteral("سلام دنیا"));
    EXPECT_FALSE(stream->failure());
}

TEST_F(CloudStreamTest, AFinalBeforeFinishClosesAndIsDeliveredByTheLaterFinish)
{
    server.script = Server::onStart({Server::final(QStringLiteral("early")), Server::partial(QStringLiteral("late"))});
    auto stream = open();
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1000);
    EXPECT_EQ(stream->text(), QString());
    EXPECT_EQ(finished(*stream), QStringLiteral("early"));
}

TEST_F(CloudStreamTest, AServerErrorFailsTheStreamAndFinishGivesTheLastPartialWithoutSendingMore)
{
    server.script = Server::onStart(
        {Server::ready(), Server::partial(QStringLiteral("so far")), Server::error(QStringLiteral("busy"))});
    LogLines log;
    auto stream = open();
    ASSERT_TRUE(waitForFailure(stream));
    EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::server);
    EXPECT_EQ(stream->failure()->detail(), QStringLiteral("busy"));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("cloud dictation: the server refused: busy ()")));

    stream->accept(std::vector<float>(1600, 0.1f));
    EXPECT_EQ(finished(*stream), QStringLiteral("so far"));
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1000);
    EXPECT_EQ(server.connection(0).received.size(), 1);  // the start message only
}

TEST_F(CloudStreamTest, MalformedOrOversizedServerMessagesFailTheStreamCleanly)
{
    const QList<std::function<void(Server::Connection&)>> misbehaviours{
        [](auto& connection) { connection.sendBinary(QByteArray("\x01\x02\x03", 3)); },
        [](auto& connection) { connection.send("{\"type\":\"partial\",\"text\":"); },
        [](auto& connection) { connection.send(R"({"type":"Ready"})"); },
        [](auto& connection) { connection.send(R"({"type":"final","text":["x"]})"); },
        [](auto& connection) { connection.send(Server::partial(QString(maxMessageBytes, QChar('x')))); },
    };
    for (qsizetype i = 0; i < misbehaviours.size(); ++i) {
        server.script = [&, i](Server::Connection& connection, const ClientMessage& message) {
            if (message.type == ClientKind::start) {
                connection.send(Server::partial(QStringLiteral("kept")));
                misbehaviours[i](connection);
            }
        };
        auto stream = open();
        ASSERT_TRUE(waitForFailure(stream)) << i;
        if (i < 4) {
            EXPECT_EQ(stream->failure()->description(),
                      QStringLiteral("unexpected message from the server: not a text message in the expected format"));
        }
        EXPECT_EQ(finished(*stream), QStringLiteral("kept")) << i;
    }
}

TEST_F(CloudStreamTest, AServerClosingMidStreamOrUnreachableIsAConnectionProblem)
{
    server.script = [](Server::Connection& connection, const ClientMessage& message) {
        if (message.type == ClientKind::start) {
            connection.send(Server::ready());
            connection.close(1011);
        }
    };
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    CloudEngine unreachable(CloudConfig(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(port)), std::nullopt), {}, clock);

    for (auto stream : {open(), open({}, &unreachable)}) {
        stream->accept(std::vector<float>(1600, 0.2f));
        ASSERT_TRUE(waitForFailure(stream));
        EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::connection);
        EXPECT_TRUE(stream->failure()->description().startsWith(QStringLiteral("connection problem: ")));
        EXPECT_EQ(finished(*stream), QString());
    }
}

// The final text in fragments: whole letters in each arrive as one message. A fragment that ends
// inside a letter is refused by the WebSocket library, which checks each fragment's UTF-8 on its
// own (Qt 6.4), and closes with 1007 although the whole message is valid: the stream fails as a
// connection problem and finish gives the last partial text, never the cut one.
TEST_F(CloudStreamTest, AFinalTextInFragmentsArrivesWholeUnlessAFragmentEndsInsideALetter)
{
    // The text begins at byte 24 and each letter takes two bytes.
    const QByteArray finalText = R"({"type":"final","text":"سلام"})";
    for (const int frameBytes : {2, 3}) {
        server.script = [&](Server::Connection& connection, const ClientMessage& message) {
            if (message.type == ClientKind::start) {
                connection.send(Server::ready());
                connection.send(Server::partial(QStringLiteral("سل")));
            } else if (message.type == ClientKind::finish) {
                connection.sendInFrames(finalText, frameBytes);
            }
        };
        auto stream = open();
        ASSERT_TRUE(waitUntil([&] { return stream->text() == QStringLiteral("سل"); }));
        if (frameBytes == 2) {
            EXPECT_EQ(finished(*stream, true), QStringLiteral("سلام"));
            EXPECT_FALSE(stream->failure());
        } else {
            EXPECT_EQ(finished(*stream, true), QStringLiteral("سل"));
            ASSERT_TRUE(stream->failure());
            EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::connection);
            EXPECT_TRUE(stream->failure()->description().contains(QStringLiteral("1007")))
                << stream->failure()->description().toStdString();
        }
    }
}

TEST_F(CloudStreamTest, AServerThatNeverSendsReadyTimesOutAfterTheConnectTimeout)
{
    server.script = Server::onStart({Server::partial(QStringLiteral("words"))});
    auto stream = open();
    ASSERT_TRUE(waitUntil([&] { return stream->text() == QStringLiteral("words"); }));
    clock.advance(4900ms);
    EXPECT_FALSE(stream->failure());
    clock.advance(200ms);
    ASSERT_TRUE(stream->failure());
    EXPECT_EQ(stream->failure()->description(), QStringLiteral("the server did not answer in time"));
    EXPECT_EQ(finished(*stream), QStringLiteral("words"));
}

TEST_F(CloudStreamTest, TheWaitForTheFinalTextGrowsWithTheAudioUpToItsCap)
{
    server.script = Server::onStart({Server::ready()});
    for (const auto& [audioSeconds, wait] : {std::pair{10, 6500ms}, std::pair{100, 20000ms}}) {
        auto stream = open();
        ASSERT_TRUE(waitUntil([&] { return stream->isReady(); }));
        stream->accept(std::vector<float>(size_t(audioSeconds) * 16000, 0.0f));
        Completion completion;
        stream->finish(completion.callback());
        clock.advance(wait - 100ms);
        EXPECT_EQ(completion.calls(), 0) << audioSeconds;
        clock.advance(100ms);
        EXPECT_EQ(completion.calls(), 1) << audioSeconds;
        EXPECT_EQ(stream->failure()->kind(), CloudError::Kind::timeout);
    }
}

TEST_F(CloudStreamTest, CancelBeforeOrAfterFinishSendsOneCancelClosesNormallyAndNeverCompletes)
{
    server.script = Server::onStart({Server::ready()});
    for (const bool finishFirst : {true, false}) {
        TestSpeechServer fresh;
        fresh.script = server.script;
        CloudEngine engineForRun(CloudConfig(fresh.url(), std::nullopt), {}, clock);
        auto stream = open({}, &engineForRun);
        if (finishFirst) {
            ASSERT_TRUE(waitUntil([&] { return stream->isReady(); }));
        }
        Completion completion;
        if (finishFirst)
            stream->finish(completion.callback());
        stream->cancel();
        stream->cancel();
        if (!finishFirst)
            stream->finish(completion.callback());  // the cancelled flag keeps it from succeeding
        ASSERT_TRUE(fresh.waitForClose(0));
        const auto& connection = fresh.connection(0);
        EXPECT_EQ(connection.closeCode, 1000);
        // Start, (finish,) cancel: queued until the connection opened when cancelled at once.
        EXPECT_EQ(connection.texts().size(), finishFirst ? 3 : 2);
        EXPECT_EQ(connection.texts().last(), cancelMessage);
        EXPECT_EQ(connection.texts().count(cancelMessage), 1);
        clock.advance(30s);
        EXPECT_EQ(completion.calls(), 0) << finishFirst;
    }
}

TEST_F(CloudStreamTest, AStreamDiscardedBeforeItEndsClosesAsGoingAway)
{
    auto stream = open();
    ASSERT_TRUE(server.waitForFrames(0, 1));
    stream.reset();
    ASSERT_TRUE(server.waitForClose(0));
    EXPECT_EQ(server.connection(0).closeCode, 1001);
}
