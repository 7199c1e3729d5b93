#include "Account/AccountManager.h"
#include "Account/MemorySessionStore.h"
#include "LogLines.h"
#include "ManualClock.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr qint64 startOfTest = 1'800'000'000;

class AccountManagerTest : public testing::Test {
protected:
    ManualClock clock;
    const Clock::TimePoint clockStart = clock.now();
    WallTime wallTime = [this] {
        return startOfTest + std::chrono::duration_cast<std::chrono::seconds>(clock.now() - clockStart).count();
    };
    TestAuthService service{wallTime};
    QNetworkAccessManager session;
    AuthClient client{service.config(), session, wallTime};
    MemorySessionStore store;
    std::unique_ptr<AccountManager> manager = std::make_unique<AccountManager>(client, store, clock, wallTime);
    int changes = 0;

    void SetUp() override
    {
        manager->onChange = [this] { ++changes; };
    }

    std::optional<AuthError> finish(const std::function<void(AccountManager::Completion)>& start)
    {
        bool finished = false;
        std::optional<AuthError> outcome;
        start([&](std::optional<AuthError> error) {
            outcome = std::move(error);
            finished = true;
        });
        EXPECT_TRUE(waitUntil([&] { return finished; }));
        return outcome;
    }

    std::optional<AuthError> handle(const QUrl& callback)
    {
        return finish([&](AccountManager::Completion done) { manager->handle(callback, done); });
    }

    void signInByEmail()
    {
        ASSERT_FALSE(finish([&](auto done) { manager->beginEmail(QStringLiteral("sara@example.com"), done); }));
        ASSERT_FALSE(handle(service.emailLinkReturn()));
        ASSERT_TRUE(manager->state());
        service.server().clearRequests();
    }

    QList<HttpRequest> requestsTo(const QByteArray& path)
    {
        QList<HttpRequest> found;
        for (const HttpRequest& request : service.server().requests()) {
            if (request.path() == path)
                found.append(request);
        }
        return found;
    }

    static QJsonObject json(const HttpRequest& request) { return QJsonDocument::fromJson(request.body).object(); }
    static QString query(const QByteArray& target, const QString& name)
    {
        return QUrlQuery(QString::fromLatin1(target.mid(target.indexOf('?') + 1)))
            .queryItemValue(name, QUrl::FullyDecoded);
    }
};

}

TEST_F(AccountManagerTest, EmailLinkSignsInThroughTheBrowsersReturn)
{
    const LogLines log;
    ASSERT_FALSE(finish([&](auto done) { manager->beginEmail(QStringLiteral("  sara@example.com \n"), done); }));
    const auto otp = requestsTo("/auth/v1/otp");
    ASSERT_EQ(otp.size(), 1);
    EXPECT_EQ(otp[0].header("apikey"), TestAuthService::key.toUtf8());
    const QJsonObject body = json(otp[0]);
    EXPECT_EQ(body.value("email").toString(), "sara@example.com");
    EXPECT_EQ(body.value("create_user").toBool(), true);
    EXPECT_EQ(body.value("code_challenge_method").toString(), "s256");
    EXPECT_FALSE(body.contains("redirect_to")) << "the service reads the return address from the query only";
    const QUrl redirect(query(otp[0].target, "redirect_to"));
    EXPECT_EQ(redirect.scheme(), "quillmarsh");
    EXPECT_EQ(redirect.host(), "auth-callback");
    EXPECT_FALSE(manager->state()) << "nothing changes until the browser returns";

    const QUrl callback = service.emailLinkReturn();
    EXPECT_FALSE(handle(callback));
    const auto exchange = requestsTo("/auth/v1/token");
    ASSERT_EQ(exchange.size(), 1);
    EXPECT_EQ(query(exchange[0].target, "grant_type"), "pkce");
    EXPECT_EQ(exchange[0].header("apikey"), TestAuthService::key.toUtf8());
    const QString verifier = json(exchange[0]).value("code_verifier").toString();
    EXPECT_GE(verifier.size(), 43);
    EXPECT_EQ(TestAuthService::challengeOf(verifier), body.value("code_challenge").toString());

    ASSERT_TRUE(manager->state());
    EXPECT_EQ(manager->state()->email, "sara@example.com");
    EXPECT_EQ(manager->state()->displayName(), "Sara");
    EXPECT_EQ(manager->state()->provider(), "email");
    EXPECT_EQ(manager->accessToken(), manager->state()->accessToken);
    EXPECT_EQ(store.session(), manager->state()) << "the session is kept for the next start";
    EXPECT_FALSE(store.pending());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(AccountManager(client, store, clock, wallTime).state(), manager->state());
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(manager->state()->accessToken) || line.contains(verifier)) << line.toStdString();

    // The same return handed over again can't sign in a second time, and changes nothing.
    const AuthSession signedIn = *manager->state();
    EXPECT_EQ(handle(callback)->kind(), AuthError::Kind::noPendingSignIn);
    EXPECT_EQ(manager->state(), signedIn);
    EXPECT_EQ(requestsTo("/auth/v1/token").size(), 1);
}

TEST_F(AccountManagerTest, GoogleSignInOpensTheServicesAuthorisationPage)
{
    const QUrl page = manager->beginGoogle();
    EXPECT_EQ(page.path(), "/auth/v1/authorize");
    const QUrlQuery items(page);
    EXPECT_EQ(items.queryItemValue("provider"), "google");
    EXPECT_EQ(items.queryItemValue("code_challenge_method"), "s256");
    const QUrl redirect(items.queryItemValue("redirect_to", QUrl::FullyDecoded));
    EXPECT_TRUE(AuthConfig::isCallback(redirect));
    EXPECT_TRUE(service.server().requests().isEmpty()) << "the browser, not the app, opens the page";

    EXPECT_FALSE(handle(service.googleReturn(page)));
    ASSERT_TRUE(manager->state());
    EXPECT_EQ(manager->state()->provider(), "google");
}

TEST_F(AccountManagerTest, ReturnsThatDontMatchThePendingSignInChangeNothing)
{
    const QUrl page = manager->beginGoogle();
    const QUrl good = service.googleReturn(page);
    const auto pending = store.pending();
    const auto edited = [&](const QString& name, const std::optional<QString>& value) {
        QUrl url = good;
        QUrlQuery items(url);
        items.removeAllQueryItems(name);
        if (value)
            items.addQueryItem(name, *value);
        url.setQuery(items);
        return url;
    };
    QUrl otherHost = good;
    otherHost.setHost("elsewhere");
    for (const QUrl& callback : {edited("state", "forged"), edited("state", std::nullopt), edited("code", std::nullopt),
                                 edited("code", "../../admin?x=1"), otherHost}) {
        SCOPED_TRACE(callback.toString().toStdString());
        EXPECT_EQ(handle(callback)->kind(), AuthError::Kind::noPendingSignIn);
        EXPECT_EQ(store.pending(), pending);
    }
    EXPECT_TRUE(requestsTo("/auth/v1/token").isEmpty());
    EXPECT_FALSE(manager->state());

    // A day later the pending sign-in has expired.
    clock.advance(std::chrono::seconds(PendingSignIn::lifetime + 1));
    EXPECT_EQ(handle(good)->kind(), AuthError::Kind::noPendingSignIn);
    EXPECT_EQ(changes, 0);
}

TEST_F(AccountManagerTest, RefusedExchangeIsAnExpiredSignInAndLeavesNobodySignedIn)
{
    const auto withHeader = [](HttpResponse response, const QByteArray& code) {
        response.headers.append({"x-sb-error-code", code});
        return response;
    };
    const HttpResponse refusals[] = {
        HttpResponse::json(
            404, R"({"code":"flow_state_not_found","message":"invalid flow state, no valid flow state found"})"),
        HttpResponse::json(
            422,
            R"({"code":422,"error_code":"flow_state_expired","msg":"invalid flow state, flow state has expired"})"),
        withHeader(
            HttpResponse::json(400, R"({"message":"code challenge does not match previously saved code verifier"})"),
            "bad_code_verifier"),
    };
    for (const HttpResponse& refusal : refusals) {
        SCOPED_TRACE(refusal.body.toStdString());
        signInByEmail();
        const QUrl page = manager->beginGoogle();
        service.refuseNextToken(refusal);
        EXPECT_EQ(handle(service.googleReturn(page))->kind(), AuthError::Kind::invalidGrant);
        EXPECT_FALSE(manager->state());
        EXPECT_FALSE(store.session());
        EXPECT_FALSE(manager->accessToken());
    }
}

TEST_F(AccountManagerTest, NetworkFailureKeepsTheSignInOpenForTheSameLink)
{
    ASSERT_FALSE(finish([&](auto done) { manager->beginEmail(QStringLiteral("sara@example.com"), done); }));
    const QUrl callback = service.emailLinkReturn();
    service.refuseNextToken(HttpResponse::json(503, "upstream down"));
    const auto error = handle(callback);
    EXPECT_EQ(error->kind(), AuthError::Kind::server);
    EXPECT_FALSE(handle(callback)) << "the link works once the service is back";
}

TEST_F(AccountManagerTest, RenewsOnTheClockOnlyWhenTheSessionIsAboutToExpire)
{
    service.setSessionLifetime(600);
    signInByEmail();
    const QString firstRefresh = manager->state()->refreshToken;
    manager->startRenewal();
    clock.advance(4 * AccountManager::renewalInterval);  // 360 s left: not yet
    EXPECT_FALSE(waitUntil([&] { return !requestsTo("/auth/v1/token").isEmpty(); }, 200ms));

    clock.advance(AccountManager::renewalInterval);  // 300 s left
    ASSERT_TRUE(waitUntil([&] { return manager->state()->refreshToken != firstRefresh; }));
    const auto renewal = requestsTo("/auth/v1/token");
    ASSERT_EQ(renewal.size(), 1);
    EXPECT_EQ(query(renewal[0].target, "grant_type"), "refresh_token");
    EXPECT_EQ(json(renewal[0]).value("refresh_token").toString(), firstRefresh);
    EXPECT_EQ(renewal[0].header("apikey"), TestAuthService::key.toUtf8());
    EXPECT_EQ(store.session(), manager->state()) << "the rotated refresh token is kept";
    EXPECT_EQ(manager->state()->expiresAt, wallTime() + 600);
}

TEST_F(AccountManagerTest, RefusedRenewalSignsOut)
{
    for (const QByteArray& body :
         {QByteArray(R"({"code":"refresh_token_already_used","message":"Invalid Refresh Token: Already Used"})"),
          QByteArray(R"({"code":400,"error_code":"session_expired","msg":"Session Expired"})")}) {
        SCOPED_TRACE(body.toStdString());
        signInByEmail();
        service.refuseNextToken(HttpResponse::json(400, body));
        manager->renew();
        ASSERT_TRUE(waitUntil([&] { return !manager->state(); }));
        EXPECT_FALSE(store.session());
    }
}

TEST_F(AccountManagerTest, SignOutClearsTheStoreAndEndsTheSessionWithItsBearer)
{
    signInByEmail();
    const QString token = *manager->accessToken();
    manager->beginGoogle();
    bool done = false;
    manager->signOut([&] { done = true; });
    EXPECT_FALSE(manager->state()) << "signed out here at once";
    EXPECT_FALSE(store.session());
    EXPECT_FALSE(store.pending());
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(waitUntil([&] { return done; }));
    const auto logout = requestsTo("/auth/v1/logout");
    ASSERT_EQ(logout.size(), 1);
    EXPECT_EQ(logout[0].header("Authorization"), "Bearer " + token.toUtf8());
    EXPECT_EQ(logout[0].header("apikey"), TestAuthService::key.toUtf8());
}

TEST_F(AccountManagerTest, ServiceRefusalsReadBothErrorShapes)
{
    const struct {
        HttpResponse reply;
        AuthError::Kind kind;
        QString text;
    } cases[] = {
        {HttpResponse::json(429, R"({"code":"over_email_send_rate_limit","message":"email rate limit exceeded"})"),
         AuthError::Kind::denied, "email rate limit exceeded"},
        {HttpResponse::json(422, R"({"code":422,"error_code":"otp_disabled","msg":"Signups not allowed for otp"})"),
         AuthError::Kind::denied, "Signups not allowed for otp"},
        {HttpResponse::json(500, R"({"code":500,"error_code":"unexpected_failure","msg":"Database error"})"),
         AuthError::Kind::server, "The sign-in service answered 500: Database error"},
        {HttpResponse::text(502, "<html>bad gateway</html>"), AuthError::Kind::server,
         "The sign-in service answered 502: no details"},
    };
    for (const auto& [reply, kind, text] : cases) {
        service.refuseNextLink(reply);
        const auto error = finish([&](auto done) { manager->beginEmail(QStringLiteral("sara@example.com"), done); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), kind);
        EXPECT_EQ(error->description(), text);
        EXPECT_FALSE(store.pending()) << "a link that wasn't sent leaves no sign-in open";
    }
}

TEST(AuthErrorTest, Texts)
{
    EXPECT_EQ(AuthError::network("Connection refused").description(), "No connection: Connection refused");
    EXPECT_EQ(AuthError::invalidGrant().description(), "The sign-in has expired. Please sign in again.");
    EXPECT_EQ(AuthError::noPendingSignIn().description(),
              "This sign-in link wasn't started on this computer, or it has expired. Please try again.");
}

TEST(AuthConnectionTest, NoServiceIsANetworkError)
{
    QNetworkAccessManager session;
    quint16 closedPort = 0;
    {
        TestHttpServer gone;
        closedPort = gone.port();
    }
    AuthClient client(AuthConfig{QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort)), "k"}, session);
    std::optional<AuthError> error;
    client.sendEmailLink("a@b.co", "c", AuthConfig::callbackURL(), [&](std::optional<AuthError> e) { error = e; });
    ASSERT_TRUE(waitUntil([&] { return error.has_value(); }));
    EXPECT_EQ(error->kind(), AuthError::Kind::network);
    EXPECT_TRUE(error->description().startsWith("No connection: "));
}
