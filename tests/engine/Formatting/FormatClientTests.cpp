#include "Formatting/FormatClient.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

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

TEST_F(FormatClientTest, PostsTheTextStyleAndHotwordsWithTheFirstTokenAvailable)
{
    answer(HttpResponse::json(200, R"({"text":"x","status":"ok"})"));
    format(QStringLiteral("  salam dost\n"), DictationStyle::formal,
           {QStringLiteral("Quillmarsh"), QStringLiteral("Tehran")},
           [] { return std::optional(QStringLiteral("account")); });
    format(QStringLiteral("hi"), DictationStyle::clean, {}, [] { return std::optional<QString>(); });
    config.token.reset();
    format(QStringLiteral("a"));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3);
    const HttpRequest& first = requests[0];
    EXPECT_EQ(first.header("Content-Type"), "application/json");
    EXPECT_EQ(first.header("Authorization"), "Bearer account");
    // The text goes as inserted, not trimmed; an empty list of hotwords is still sent.
    EXPECT_EQ(QJsonDocument::fromJson(first.body).object(),
              (QJsonObject{
                  {"text", "  salam dost\n"}, {"style", "formal"}, {"hotwords", QJsonArray{"Quillmarsh", "Tehran"}}}));
    EXPECT_EQ(QJsonDocument::fromJson(requests[1].body).object(),
              (QJsonObject{{"text", "hi"}, {"style", "clean"}, {"hotwords", QJsonArray()}}));
    // The provider's token, else the configured one, else none.
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer fallback");
    EXPECT_FALSE(requests[2].hasHeader("Authorization"));
}

TEST_F(FormatClientTest, AsSpokenIsNeverSent)
{
    answer(HttpResponse::json(200, R"({"text":"x","status":"ok"})"));
    const FormatClient client(config, session);
    std::optional<FormatOutcome> outcome;
    client.format(QStringLiteral("salam"), DictationStyle::asSpoken, {}, [&](const FormatOutcome& o) { outcome = o; });
    EXPECT_EQ(outcome, FormatOutcome::unchanged(QStringLiteral("skipped"))) << "answered at once";
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(FormatClientTest, ReadsTheReply)
{
    EXPECT_EQ(reply(R"({"text":"  Salam, dost.\n","status":"ok","reason":null,"extra":1})"),
              FormatOutcome::improved(QStringLiteral("Salam, dost.")));
    EXPECT_EQ(reply(R"({"text":" salam dost ","status":"ok","reason":"same"})", QStringLiteral("salam dost\n")),
              FormatOutcome::unchanged(QStringLiteral("ok"), QStringLiteral("same")))
        << "equal apart from white space";
    EXPECT_EQ(reply(R"({"text":" \n ","status":"ok"})"), FormatOutcome::unchanged(QStringLiteral("ok")));
    EXPECT_EQ(reply(R"({"text":"Other","status":"OK","reason":"r"})"),
              FormatOutcome::unchanged(QStringLiteral("OK"), QStringLiteral("r")));
    EXPECT_EQ(reply(R"({"text":"Other","status":"busy","reason":null})"),
              FormatOutcome::unchanged(QStringLiteral("busy")));
}

TEST_F(FormatClientTest, AnUnreadableReplyFails)
{
    for (const char* json : {"not json", R"(["text","status"])", R"({"text":"Salam"})", R"({"text":7,"status":"ok"})",
                             R"({"text":"Salam","status":true})", R"({"text":"Salam","status":"ok","reason":3})", ""})
        EXPECT_EQ(reply(json), FormatOutcome::failed(QStringLiteral("unreadable reply"))) << json;
}

TEST_F(FormatClientTest, OnlyStatus200IsRead)
{
    for (int status : {201, 204, 401, 503}) {
        answer(HttpResponse::json(status, R"({"text":"Salam.","status":"ok"})"));
        EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP %1").arg(status)));
    }
}

TEST_F(FormatClientTest, ATimeOutOrACutReplyIsANetworkFailure)
{
    HttpResponse reply = HttpResponse::json(200, R"({"text":"Salam, this reply is cut short","status":"ok"})");
    reply.delayBeforeHeaders = std::chrono::seconds(30);
    answer(reply);
    config.timeout = 0.2;
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1001")));
    reply.delayBeforeHeaders = {};
    reply.closeAfterBytes = 10;
    answer(reply);
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1005")));

    // A connection lost after the request went out fails the request; it is not sent again.
    reply.closeWithoutAnswer = true;
    answer(reply);
    server.clearRequests();
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1005")));
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(FormatClientTest, AReplyThatDripsEndsWithinTheTimeOut)
{
    HttpResponse reply =
        HttpResponse::json(200, R"({"text":"Salam, this reply comes a byte at a time","status":"ok"})");
    reply.dripEvery = std::chrono::milliseconds(300);
    answer(reply);
    config.timeout = 1.0;
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("network: -1001")));
}

TEST_F(FormatClientTest, AReplyFarLongerThanTheTextIsRefusedUnread)
{
    const QString text = QStringLiteral("سلام دوست من");
    const QByteArray rewrite = QByteArray(FormatClient::replyLimit(text), 'a');
    HttpResponse huge = HttpResponse::json(200, R"({"status":"ok","text":")" + rewrite + R"("})");
    // Most of it never comes: only a client that stops reading at the limit ends at once.
    huge.stallAfterBytes = rewrite.size();
    answer(huge);
    EXPECT_EQ(format(text), FormatOutcome::failed(QStringLiteral("reply too long")));

    // A rewrite twice as long as the text, all of it escaped, is still read.
    QString escaped;
    for (const QChar letter : text + text)
        escaped += QStringLiteral("\\u%1").arg(letter.unicode(), 4, 16, QLatin1Char('0'));
    EXPECT_EQ(
        reply(R"({"status":"ok","reason":")" + QByteArray(1000, 'r') + R"(","text":")" + escaped.toLatin1() + R"("})",
              text),
        FormatOutcome::improved(text + text));
}

TEST_F(FormatClientTest, AnEndlessReplyIsTooLongUnlessItsStatusSaysMore)
{
    answer(HttpResponse::endlessAfter(200, R"({"status":"ok","text":")"));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("reply too long")));
    answer(HttpResponse::endlessAfter(503, "<html>busy"));
    EXPECT_EQ(format(QStringLiteral("salam")), FormatOutcome::failed(QStringLiteral("HTTP 503")));
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
