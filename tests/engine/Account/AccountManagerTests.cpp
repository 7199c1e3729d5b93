#include "Account/AccountManager.h"
#include "Account/MemorySessionStore.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class AccountManagerTest : public testing::Test {
protected:
    ManualClock clock;
    const Clock::TimePoint clockStart = clock.now();
    // Calendar time moves with the manual clock.
    WallTime wallTime = [this] {
        return 1'800'000'000 + std::chrono::duration_cast<std::chrono::seconds>(clock.now() - clockStart).count();
    };
    TestAuthService service{wallTime};
    QNetworkAccessManager session;
    AuthClient client{service.config(), session, wallTime};
    MemorySessionStore store;
    AccountManager manager{client, store, clock, wallTime};
    int changes = 0;

    void SetUp() override
    {
        manager.onChange = [this] { ++changes; };
    }

    std::optional<AuthError> finish(const std::function<void(AccountManager::Completion)>& start)
    {
        std::optional<std::optional<AuthError>> outcome;
        start([&](std::optional<AuthError> error) { outcome = std::move(error); });
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        return outcome.value_or(AuthError::network("no answer"));
    }
    std::optional<AuthError> sendLink()
    {
        return finish([&](auto done) { manager.beginEmail(QStringLiteral("  sara@example.com \n"), done); });
    }
    std::optional<AuthError> handle(const QUrl& callback)
    {
        return finish([&](auto done) { manager.handle(callback, done); });
    }
    void signIn()
    {
        ASSERT_FALSE(sendLink());
        ASSERT_FALSE(handle(service.emailLinkReturn()));
        service.server().clearRequests();
    }

    QList<HttpRequest> requestsTo(const QByteArray& path)
    {
        QList<HttpRequest> found;
        for (const HttpRequest& request : service.server().requests())
            if (request.path() == path)
                found.append(request);
        return found;
    }
    static QString member(const HttpRequest& request, const char* name)
    {
        return QJsonDocument::fromJson(request.body).object().value(QLatin1String(name)).toString();
    }
};

}

TEST_F(AccountManagerTest, EmailLinkSignsInThroughTheBrowsersReturnAndSignOutEndsIt)
{
    const LogLines log;
    ASSERT_FALSE(sendLink());
    const auto otp = requestsTo("/auth/v1/otp");
    ASSERT_EQ(otp.size(), 1);
    EXPECT_EQ(otp[0].header("apikey"), TestAuthService::key.toUtf8());
    EXPECT_EQ(QJsonDocument::fromJson(otp[0].body).object(),
              (QJsonObject{{"email", "sara@example.com"},
                           {"create_user", true},
                           {"code_challenge", member(otp[0], "code_challenge")},
                           {"code_challenge_method", "s256"}}))
        << "the return address travels in the query only";

    EXPECT_FALSE(handle(service.emailLinkReturn()));
    const auto exchange = requestsTo("/auth/v1/token");
    ASSERT_EQ(exchange.size(), 1);
    EXPECT_TRUE(exchange[0].target.endsWith("?grant_type=pkce"));
    EXPECT_EQ(TestAuthService::challengeOf(member(exchange[0], "code_verifier")), member(otp[0], "code_challenge"));
    ASSERT_TRUE(manager.state());
    EXPECT_EQ(store.session(), manager.state()) << "kept for the next start";
    EXPECT_EQ(changes, 1);
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(manager.state()->accessToken) || line.contains(manager.state()->refreshToken));

    const QString token = *manager.accessToken();
    manager.beginGoogle();
    bool signedOut = false;
    manager.signOut([&] { signedOut = true; });
    EXPECT_FALSE(store.session()) << "signed out here at once";
    EXPECT_FALSE(store.pending());
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(waitUntil([&] { return signedOut; }));
    const auto logout = requestsTo("/auth/v1/logout");
    ASSERT_EQ(logout.size(), 1);
    EXPECT_EQ(logout[0].header("Authorization"), "Bearer " + token.toUtf8());
    EXPECT_EQ(logout[0].header("apikey"), TestAuthService::key.toUtf8());
}

TEST_F(AccountManagerTest, ReturnsThatDontMatchThePendingSignInChangeNothing)
{
    const QString good = service.googleReturn(manager.beginGoogle()).toString();
    const auto pending = store.pending();
    const QString forgeries[] = {QString(good).replace("state=", "state=forged"), QString(good).replace("state=", "x="),
                                 QString(good).replace("code=", "x="), good + "/../../admin",
                                 QString(good).replace("auth-callback", "elsewhere")};
    for (const QString& callback : forgeries) {
        EXPECT_EQ(handle(QUrl(callback))->kind(), AuthError::Kind::noPendingSignIn) << callback.toStdString();
        EXPECT_EQ(store.pending(), pending);
    }
    clock.advance(std::chrono::seconds(PendingSignIn::lifetime + 1));
    EXPECT_EQ(handle(QUrl(good))->kind(), AuthError::Kind::noPendingSignIn) << "a day later it has expired";
    EXPECT_TRUE(requestsTo("/auth/v1/token").isEmpty());
    EXPECT_EQ(changes, 0);
}

TEST_F(AccountManagerTest, RefusedExchangeOrRenewalIsAnExpiredSignInAndSignsOut)
{
    const std::pair<QByteArray, HttpResponse> refusals[] = {
        {"exchange", HttpResponse::json(404, R"({"code":"flow_state_not_found","message":"no valid flow state"})")},
        {"exchange", HttpResponse::json(422, R"({"code":422,"error_code":"flow_state_expired","msg":"expired"})")},
        {"renewal", HttpResponse::json(400, R"({"code":"refresh_token_already_used","message":"Already Used"})")},
        {"renewal", HttpResponse::json(400, R"({"code":400,"error_code":"session_expired","msg":"Session Expired"})")},
    };
    for (const auto& [step, refusal] : refusals) {
        SCOPED_TRACE(refusal.body.toStdString());
        signIn();
        service.refuseNext("/auth/v1/token", refusal);
        if (step == "exchange") {
            const QUrl page = manager.beginGoogle();
            EXPECT_EQ(handle(service.googleReturn(page))->kind(), AuthError::Kind::invalidGrant);
        } else {
            manager.renew();
        }
        EXPECT_TRUE(waitUntil([&] { return !manager.state(); }));
        EXPECT_FALSE(store.session());
    }
}

TEST_F(AccountManagerTest, RenewsOnTheClockOnlyWhenTheSessionIsAboutToExpire)
{
    signIn();
    const QString firstRefresh = manager.state()->refreshToken;
    manager.startRenewal();
    clock.advance(4 * AccountManager::renewalInterval);  // 360 s left: not yet within the margin
    EXPECT_FALSE(waitUntil([&] { return !requestsTo("/auth/v1/token").isEmpty(); }, 200ms));

    clock.advance(AccountManager::renewalInterval);
    ASSERT_TRUE(waitUntil([&] { return manager.state()->refreshToken != firstRefresh; }));
    const auto renewal = requestsTo("/auth/v1/token");
    ASSERT_EQ(renewal.size(), 1);
    EXPECT_TRUE(renewal[0].target.endsWith("?grant_type=refresh_token"));
    EXPECT_EQ(member(renewal[0], "refresh_token"), firstRefresh);
    EXPECT_EQ(store.session(), manager.state()) << "the rotated refresh token is kept";
}

TEST_F(AccountManagerTest, LinkRefusalsGiveTheServicesMessage)
{
    const std::pair<HttpResponse, QString> cases[] = {
        {HttpResponse::json(429, R"({"code":"over_email_send_rate_limit","message":"email rate limit exceeded"})"),
         "email rate limit exceeded"},
        {HttpResponse::text(502, "<html>bad gateway</html>"), "The sign-in service answered 502: no details"},
    };
    for (const auto& [reply, text] : cases) {
        service.refuseNext("/auth/v1/otp", reply);
        EXPECT_EQ(sendLink()->description(), text);
        EXPECT_FALSE(store.pending()) << "a link that wasn't sent leaves no sign-in open";
    }
    EXPECT_EQ(AuthError::invalidGrant().description(), "The sign-in has expired. Please sign in again.");
    EXPECT_EQ(AuthError::noPendingSignIn().description(),
              "This sign-in link wasn't started on this computer, or it has expired. Please try again.");
    EXPECT_EQ(AuthError::network("Connection refused").description(), "No connection: Connection refused");
}

TEST_F(AccountManagerTest, AnEndlessServiceIsTooLongASlowOneSlowAnUnreachableOneNoConnection)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const AuthConfig unreachable{QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort())),
                                 TestAuthService::key};
    closed.close();
    const QString slow = QStringLiteral("The sign-in service was too slow to answer. Please try again.");
    // Bounds short enough for a test to wait out.
    const ReplyBounds impatient{AuthClient::replyBounds.maxBytes, 300ms, 600ms};
    HttpResponse stalled = HttpResponse::json(200, "{}");
    stalled.stallAfterBytes = 1;
    struct Case {
        const char* name;
        AuthConfig service;
        std::optional<HttpResponse> answer;
        ReplyBounds bounds;
        QString told;
    };
    const Case cases[] = {
        {"an endless answer", service.config(), HttpResponse::endlessAfter(200, "{"), AuthClient::replyBounds,
         QStringLiteral("The server\u2019s answer was too long.")},
        {"an answer past the whole request's time", service.config(), HttpResponse::trickled(200, "{}"), impatient,
         slow},
        {"a stalled answer", service.config(), stalled, impatient, slow},
        {"nobody listening", unreachable, std::nullopt, impatient, QStringLiteral("No connection: Connection refused")},
    };
    for (const Case& c : cases) {
        if (c.answer)
            service.refuseNext("/auth/v1/otp", *c.answer);
        const AuthClient asking(c.service, session, wallTime, c.bounds);
        std::optional<std::optional<AuthError>> sent;
        asking.sendEmailLink(QStringLiteral("sara@example.com"), QStringLiteral("challenge"), AuthConfig::callbackURL(),
                             [&](std::optional<AuthError> error) { sent = error; });
        ASSERT_TRUE(waitUntil([&] { return sent.has_value(); })) << c.name;
        EXPECT_EQ(sent->value_or(AuthError::noPendingSignIn()).description(), c.told) << c.name;
    }
}

TEST_F(AccountManagerTest, ARefusalInTheReturnReadsAsASentence)
{
    QUrl callback = service.googleReturn(manager.beginGoogle());
    QUrlQuery query(callback);
    query.removeQueryItem(QStringLiteral("code"));
    query.setQuery(query.query(QUrl::FullyEncoded)
                   + QStringLiteral("&error=access_denied&error_description=The+user+denied+access%2B"));
    callback.setQuery(query);
    EXPECT_EQ(handle(callback)->description(), "The user denied access+");
    EXPECT_FALSE(store.pending());
}

TEST_F(AccountManagerTest, TheDisplayNameIsTheFirstWordOfAFullNameOrElseOfTheName)
{
    const auto nameIn = [](const QJsonObject& user) {
        const AuthSession signedIn{TestAuthService::token({{"user_metadata", user}}), "refresh", 0, "user-1",
                                   std::nullopt};
        return signedIn.displayName();
    };
    EXPECT_EQ(nameIn({{"full_name", "Sara Ahmadi"}, {"name", "Other"}}), "Sara");
    EXPECT_EQ(nameIn({{"full_name", " "}, {"name", "Sara Ahmadi"}}), "Sara");
    EXPECT_EQ(nameIn({{"full_name", ""}}), std::nullopt);
}
