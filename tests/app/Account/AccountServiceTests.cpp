// The accounts as the application runs them: the servers' bearer token, and a renewal when the
// speech server turns the access token down.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QTest>

class AccountServiceTests : public QObject {
    Q_OBJECT

    TestAuthService auth_{[] { return QDateTime::currentSecsSinceEpoch(); }};
    std::unique_ptr<AppFixture> fixture_;

    AccountManager& manager() { return fixture_->delegate().account().manager(); }

    void signIn()
    {
        bool sent = false;
        manager().beginEmail(QStringLiteral("sara@example.com"), [&](std::optional<AuthError>) { sent = true; });
        QVERIFY(waitUntil([&] { return sent; }));
        fixture_->delegate().handleArguments({QStringLiteral("quillmarsh"), auth_.emailLinkReturn().toString()});
        QVERIFY(waitUntil([&] { return manager().state().has_value(); }));
    }

    int renewals()
    {
        int count = 0;
        for (const HttpRequest& request : auth_.server().requests())
            count += request.target.contains("grant_type=refresh_token") ? 1 : 0;
        return count;
    }

private slots:
    void init()
    {
        qputenv("QUILLMARSH_SUPABASE_URL", auth_.config().baseURL.toEncoded());
        qputenv("QUILLMARSH_SUPABASE_KEY", TestAuthService::key.toUtf8());
        qunsetenv("QUILLMARSH_SERVER_TOKEN");
        fixture_ = std::make_unique<AppFixture>();
    }
    void cleanup() { fixture_.reset(); }

    void serversCarryTheAccountsTokenUnlessTheSettingsHaveOne()
    {
        const TokenProvider token = fixture_->delegate().serverToken();
        QCOMPARE(token(), std::nullopt);
        signIn();
        QCOMPARE(token(), manager().accessToken());
        QVERIFY(token().has_value());
        qputenv("QUILLMARSH_SERVER_TOKEN", "from-settings");
        QCOMPARE(token(), std::optional<QString>(QStringLiteral("from-settings")));
        qunsetenv("QUILLMARSH_SERVER_TOKEN");
        manager().signOut();
        QCOMPARE(token(), std::nullopt);
    }

    void unauthorizedRefusalRenewsTheSession()
    {
        signIn();
        const QString before = manager().state()->refreshToken;
        fixture_->delegate().account().handleRefusal(QStringLiteral("rate_limited"));
        fixture_->delegate().account().handleRefusal(QStringLiteral("unauthorized"));
        QVERIFY(waitUntil([&] { return manager().state()->refreshToken != before; }));
        QCOMPARE(renewals(), 1);
    }
};

QTEST_MAIN(AccountServiceTests)
#include "AccountServiceTests.moc"
