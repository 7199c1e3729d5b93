// A wake from sleep renews a sign-in about to expire at once, as the timer would at its next
// check: the test desktop's private bus stands in for the system bus, and a connection of the
// test's own plays logind.
#include "Account/AccountService.h"
#include "Account/MemorySessionStore.h"
#include "Core/Settings.h"
#include "ManualClock.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QNetworkAccessManager>
#include <QTest>

class RenewOnWakeTests : public QObject {
    Q_OBJECT

private slots:
    void aWakeRenewsASessionAboutToExpireOnce()
    {
        QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
        QVERIFY2(logind.isConnected(), "the test desktop's bus runs");
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        const auto tell = [&](bool sleeping) {
            QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("PrepareForSleep"));
            signal << sleeping;
            QVERIFY(logind.send(signal));
        };

        // The service's sessions expire 200 s from now: inside the renewal margin.
        TestAuthService service([] { return QDateTime::currentSecsSinceEpoch() - 400; });
        const ScopedEnvironment url("QUILLMARSH_SUPABASE_URL", service.config().baseURL.toString());
        const ScopedEnvironment key("QUILLMARSH_SUPABASE_KEY", TestAuthService::key);
        const QTemporaryDir folder;
        const Settings settings(folder.filePath(QStringLiteral("settings.ini")));
        QNetworkAccessManager network;
        ManualClock clock;
        AccountService accounts(settings, network, std::make_unique<MemorySessionStore>(), clock);
        AccountManager& manager = accounts.manager();
        bool sent = false;
        manager.beginEmail(QStringLiteral("sara@example.com"), [&](auto) { sent = true; });
        QVERIFY(waitUntil([&] { return sent; }));
        manager.handle(service.emailLinkReturn(), [](auto) {});
        QVERIFY(waitUntil([&] { return manager.state().has_value(); }));

        // Starting checks at once, and renews.
        QString refresh = manager.state()->refreshToken;
        accounts.start(QDBusConnection::sessionBus());
        QVERIFY(waitUntil([&] { return manager.state()->refreshToken != refresh; }));
        service.server().clearRequests();

        // The timer's clock stands still: only the wake can renew now.
        refresh = manager.state()->refreshToken;
        tell(true);
        tell(false);
        QVERIFY(waitUntil([&] { return manager.state()->refreshToken != refresh; }));
        const QList<HttpRequest> requests = service.server().requests();
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.first().target.endsWith("?grant_type=refresh_token"));
    }
};

QTEST_GUILESS_MAIN(RenewOnWakeTests)
#include "RenewOnWakeTests.moc"
