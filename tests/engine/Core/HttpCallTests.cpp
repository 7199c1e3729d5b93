// The bounds every HTTP client reads its replies within, against a loopback server that
// misbehaves on purpose: a reply never longer than its limit and never held past its times.
#include "Core/HttpCall.h"
#include "Core/NetworkReply.h"
#include "Core/SendOnce.h"
#include "TestHttpServer.h"
#include "TestSupport.h"
#include "ThreadSlowdown.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr qint64 limit = 64 * 1024;
// The read buffer a client sets for a limit this small: one byte past it.
constexpr qint64 readBuffer = limit + 1;

class HttpCallTest : public testing::Test {
protected:
    TestHttpServer server;
    TestHttpServer encrypted{TestHttpServer::Transport::encrypted};
    // The server the requests go to.
    TestHttpServer* host = &server;
    QNetworkAccessManager session;
    ReplyBounds bounds{limit, 2s, 5s};

    HttpOutcome get(HttpResponse response) { return perform("GET", response); }

    // A request with a body starts later than one without: its reply is bounded all the same.
    HttpOutcome post(HttpResponse response) { return perform("POST", response); }

    HttpOutcome perform(const QByteArray& method, HttpResponse response)
    {
        host->route(method, "/reply", [response](const HttpRequest&) { return response; });
        const QUrl url = host->url(QStringLiteral("/reply"));
        std::optional<HttpOutcome> outcome;
        performHttp(
            session,
            [url, method](QNetworkAccessManager& manager) {
                const QNetworkRequest request(url);
                return method == "GET" ? manager.get(request) : sendOnce(manager, request, method, "{}");
            },
            bounds, [&](const HttpOutcome& result) { outcome = result; });
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        return outcome.value_or(HttpFailure{QStringLiteral("no outcome")});
    }

    static QString failure(const HttpOutcome& outcome)
    {
        const auto* failed = std::get_if<HttpFailure>(&outcome);
        return failed ? failed->message : QStringLiteral("a reply");
    }
};

}

// Over TLS, as every host not on this computer speaks: the handshake waits for the thread the reply
// is read on, so its limit reaches the network stack before the request goes out, however slow
// that thread is. (In plain words the stack may take in a fast answer unbounded when that thread
// is held up just as the request starts: see the README.)
TEST_F(HttpCallTest, AReplyPastItsLimitIsGivenUpAsItArrives)
{
    host = &encrypted;
    // Times far beyond a handshake's, even where each allocation records its whole call stack.
    bounds = {limit, 30s, 60s};
    HttpResponse endless = HttpResponse::endlessAfter(200, "start");
    const HttpOutcome chunked = get(endless);
    EXPECT_EQ(failure(chunked), "the server\u2019s answer was too long");
    EXPECT_EQ(std::get<HttpFailure>(chunked).code, replyTooLongCode);
    EXPECT_TRUE(encrypted.endlessStoppedNear(limit, readBuffer)) << encrypted.endlessBytesTakenIn();

    // A length announced past the limit ends the reply before its body is read.
    endless.headers.append(qMakePair(QByteArray("Content-Length"), QByteArray("1099511627776")));
    EXPECT_EQ(failure(get(endless)), "the server\u2019s answer was too long");

    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(failure(post(HttpResponse::endlessAfter(200, "start"))), "the server\u2019s answer was too long");
        EXPECT_TRUE(encrypted.endlessStoppedNear(limit, readBuffer)) << "round " << round;
    }
    {
        // As on a busy machine: the thread the replies are read on runs a fifth of the time, while
        // the network stack's own thread runs free.
        const ThreadSlowdown busy({}, true);
        EXPECT_EQ(failure(get(HttpResponse::endlessAfter(200, "start"))), "the server\u2019s answer was too long");
        EXPECT_EQ(failure(post(HttpResponse::endlessAfter(200, "start"))), "the server\u2019s answer was too long");
    }
    EXPECT_TRUE(encrypted.endlessStoppedNear(limit, readBuffer)) << encrypted.endlessBytesTakenIn();

    HttpResponse whole = HttpResponse::text(200, QByteArray(limit, 'a'));
    whole.chunked = true;
    const HttpOutcome exact = get(whole);
    ASSERT_TRUE(std::holds_alternative<HttpReply>(exact)) << failure(exact).toStdString();
    EXPECT_EQ(std::get<HttpReply>(exact).body.size(), limit) << "a reply of the limit itself is read whole";
}

TEST_F(HttpCallTest, AnErrorStatusStaysTheAnswerHoweverLongOrSlowItsPage)
{
    for (const bool slow : {false, true}) {
        if (slow)
            bounds.overall = 300ms;
        const HttpOutcome outcome = get(slow ? HttpResponse::trickled(503, QByteArray(200, 'b'))
                                             : HttpResponse::endlessAfter(503, "<html>busy"));
        ASSERT_TRUE(std::holds_alternative<HttpReply>(outcome)) << failure(outcome).toStdString();
        EXPECT_EQ(std::get<HttpReply>(outcome).status, 503);
        EXPECT_LE(std::get<HttpReply>(outcome).body.size(), limit);
    }
}

TEST_F(HttpCallTest, AServerThatStopsOrTricklesIsTimedOut)
{
    HttpResponse silent = HttpResponse::text(200, QByteArray(1000, 's'));
    silent.stallAfterBytes = 10;
    bounds.idle = 200ms;
    const HttpOutcome stalled = get(silent);
    EXPECT_EQ(failure(stalled), "the connection stalled");
    EXPECT_EQ(std::get<HttpFailure>(stalled).code, -1001);

    // A byte every 20 ms never leaves the connection idle; the overall bound ends it.
    const HttpResponse trickle = HttpResponse::trickled(200, QByteArray(1000, 't'));
    bounds = {limit, 200ms, 400ms};
    EXPECT_EQ(failure(get(trickle)), "the server took too long");

    // Where the idle bound asks for steady progress, a trickle is too little of it.
    bounds = {limit, 200ms, 60s, 1024};
    EXPECT_EQ(failure(get(trickle)), "the connection stalled");
}

// A bound is a deadline: it never ends a request before its time, as a timer that rounds its
// wake-up to save power would (a few of them, as such a timer is early only now and then).
TEST_F(HttpCallTest, TheOverallBoundNeverEndsARequestEarly)
{
    const HttpResponse trickle = HttpResponse::trickled(200, QByteArray(1000, 't'));
    bounds = {limit, 200ms, 300ms};
    for (int request = 0; request < 6; ++request) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(failure(get(trickle)), "the server took too long");
        EXPECT_GE(clock.elapsed(), 300) << "request " << request;
    }
}
