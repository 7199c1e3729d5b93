#include "Formatting/FormatClient.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <thread>

namespace {

class FormatClientTest : public testing::Test {
protected:
    TestHttpServer server;
    QNetworkAccessManager session;
    FormatConfig config{server.url(QStringLiteral("/v1/format")), QStringLiteral("fallback")};

    // Answers every request to the endpoint with this reply.
    void answer(HttpResponse response)
    {
        server.route("POST", "/v1/format", [response](const HttpRequest&) { return response; });
    }

    FormatOutcome format(const QString& text, DictationStyle style = DictationStyle::clean,
                         const QStringList& hotwords = {}, TokenProvider token = {})
    {
        const FormatClient client(config, session, std::move(token));
        std::optional<FormatOutcome> outcome;
        client.format(text, style, hotwords, [&](const FormatOutcome& result) { outcome = result; });
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        return outcome.value_or(FormatOutcome::failed(QStringLiteral("no outcome")));
    }

    FormatOutcome reply(const QByteArray& json, const QString& text = QStringLiteral("salam"))
    {
        answer(HttpResponse::json(200, json));
        return format(text);
    }
};

}

TEST_F(FormatClientTest, PostsTheTextStyleAndHotwords)
{
    answer(HttpResponse::json(200, R"({"text":"x","status":"ok"})"));
    format(QStringLiteral("  salam dost\n"), DictationStyle::formal, {QStringLiteral("Quillmarsh"), QStringLiteral("Tehran")},
           [] { return std::optional(QStringLiteral("account")); });
    format(QStringLiteral("hi"), DictationStyle::clean);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    const HttpRequest& first = requests[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.path(), "/v1/format");
    EXPECT_EQ(first.header("Content-Type"), "application/json");
    EXPECT_EQ(first.header("Authorization"), "Bearer account");
    const QJsonObject body = QJsonDocument::fromJson(first.body).object();
    EXPECT_EQ(body.size(), 3);
    EXPECT_EQ(body.value("text").toString(), QStringLiteral("  salam dost\n")) << "sent as inserted, not trimmed";
    EXPECT_EQ(body.value("style").toString(), QStringLiteral("formal"));
    EXPECT_EQ(body.value("hotwords").toArray(), QJsonArray({QStringLiteral("Quillmarsh"), QStringLiteral("Tehran")}));
    EXPECT_FALSE(first.body.contains('\n')) << "compact JSON";

    const QJsonObject second = QJsonDocument::fromJson(requests[1].body).object();
    EXPECT_EQ(second.value("style").toString(), QStringLiteral("clean"));
    EXPECT_TRUE(second.value("hotwords").isArray()) << "an empty list is still sent";
    EXPECT_TRUE(second.value("hotwords").toArray().isEmpty());
}

TEST_F(FormatClientTest, FallsBackToTheConfiguredTokenThenToNone)
{
    answer(HttpResponse::json(200, R"({"text":"x","status":"ok"})"));
    format(QStringLiteral("a"), DictationStyle::clean, {}, [] { return std::optional<QString>(); });
    format(QStringLiteral("a"));
    config.token.reset();
    format(QStringLiteral("a"), DictationStyle::clean, {}, [] { return std::optional<QString>(); });

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer fallback");
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer fallback");
    EXPECT_FALSE(requests[2].hasHeader("Authorization"));
}

TEST_F(FormatClientTest, AsSpokenIsNeverSent)
{
    answer(HttpResponse::json(200, R"({"text":"x","status":"ok"})"));
    const FormatClient client(config, session);
    std::optional<FormatOutcome> outcome;
    client.format(QStringLiteral("salam"), DictationStyle::asSpoken, {}, [&](const FormatOutcome& o) { outcome = o; });
    EXPECT_EQ(outcome, FormatOutcome::unchanged(QStringLiteral("skipped"), std::nullopt)) << "answered at once";
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(FormatClientTest, ReadsTheReply)
{
    EXPECT_EQ(reply(R"({"text":"  Salam, dost.\n","status":"ok","reason":null,"extra":1})"),
              FormatOutcome::improved(QStringLiteral("Salam, dost.")));
    EXPECT_EQ(reply(R"({"text":" salam dost ","status":"ok","reason":"same"})", QStringLiteral("salam dost\n")),
              FormatOutcome::unchanged(QStringLiteral("ok"), QStringLiteral("same")))
        << "equal apart from white space";
    EXPECT_EQ(reply(R"({"text":" \n ","status":"ok"})"), FormatOutcome::unchanged(QStringLiteral("ok"), std::nullopt));
    EXPECT_EQ(reply(R"({"text":"Other","status":"OK","reason":"r"})"),
              FormatOutcome::unchanged(QStringLiteral("OK"), QStringLiteral("r")));
    EXPECT_EQ(reply(R"({"text":"Other","status":"busy","reason":null})"),
              FormatOutcome::unchanged(QStringLiteral("busy"), std::nullopt));
}

TEST_F(FormatClientTest, AnUnreadableReplyFails)
{
    const FormatOutcome unreadable = FormatOutcome::failed(QStringLiteral("unreadable reply"));
    EXPECT_EQ(reply("not json"), unreadable);
    EXPECT_EQ(reply(R"(["text","status"])"), unreadable);
    EXPECT_EQ(reply(R"({"text":"Salam"})"), unreadable);
    EXPECT_EQ(reply(R"({"status":"ok"})"), unreadable);
    EXPECT_EQ(reply(R"({"text":7,"status":"ok"})"), unreadable);
    EXPECT_EQ(reply(R"({"text":"Salam","status":true})"), unreadable);
    EXPECT_EQ(reply(R"({"text":"Salam","status":"ok","reason":3})"), unreadable);
    EXPECT_EQ(reply(""), unreadable);
}

TEST_F(FormatClientTest, OnlyStatus200IsRead)
{
    const QByteArray good = R"({"text":"Salam.","status":"ok"})";
    answer(HttpResponse::json(201, good));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP 201")));
    answer(HttpResponse::json(204, {}));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP 204")));
    answer(HttpResponse::json(401, R"({"error":"unauthorized"})"));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP 401")));
    answer(HttpResponse::text(503, "down"));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP 503")));
}

TEST_F(FormatClientTest, ASlowServerTimesOut)
{
    HttpResponse slow = HttpResponse::json(200, R"({"text":"Salam.","status":"ok"})");
    slow.delayBeforeHeaders = std::chrono::seconds(30);
    answer(slow);
    config.timeout = 0.2;
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1001")));
}

TEST_F(FormatClientTest, AConnectionCutMidReplyIsANetworkFailure)
{
    HttpResponse cut = HttpResponse::json(200, R"({"text":"Salam, this reply is cut short","status":"ok"})");
    cut.closeAfterBytes = 10;
    answer(cut);
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1005")));
}

TEST_F(FormatClientTest, NoServerListeningIsANetworkFailure)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    config.endpoint = QUrl(QStringLiteral("http://127.0.0.1:%1/v1/format").arg(probe.serverPort()));
    probe.close();
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1004")));
}

TEST_F(FormatClientTest, CanBeAskedFromAnotherThread)
{
    answer(HttpResponse::json(200, R"({"text":"Salam.","status":"ok"})"));
    const FormatClient client(config, session);
    std::atomic<bool> done = false;
    FormatOutcome outcome;
    std::thread caller([&] {
        client.format(QStringLiteral("salam"), DictationStyle::clean, {}, [&](const FormatOutcome& result) {
            outcome = result;
            done = true;
        });
    });
    caller.join();
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    EXPECT_EQ(outcome, FormatOutcome::improved(QStringLiteral("Salam.")));
}
