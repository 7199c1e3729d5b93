#include "Account/AccountManager.h"
#include "Account/KeychainSessionStore.h"
#include "LogLines.h"
#include "TestAuthService.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

// A service name of its own, so parallel runs don't share items.
QString uniqueService()
{
    return QStringLiteral("Quillmarsh test ") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

}

// Runs against the desktop's Secret Service; scripts/test starts one on a private session bus.
TEST(KeychainSessionStoreTest, KeepsAndForgetsTheSessionAndThePendingSignIn)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        << "no session bus: run through scripts/test, which starts a Secret Service";
    const QString service = uniqueService();
    const AuthSession session{"access", "refresh", 1'800'000'000, "u1", "sara@example.com"};
    const PendingSignIn pending{QStringLiteral("verifier"), QStringLiteral("state"), 1'799'999'000};
    KeychainSessionStore(service).setSession(session);
    KeychainSessionStore(service).setPending(pending);
    KeychainSessionStore store(service);
    EXPECT_EQ(store.session(), session) << "kept across stores, as across runs";
    EXPECT_EQ(store.pending(), pending);
    store.setSession(std::nullopt);
    store.setPending(std::nullopt);
    EXPECT_FALSE(KeychainSessionStore(service).session() || KeychainSessionStore(service).pending());
}

// Each call to the Secret Service waits for its answer with the events running, so a second
// hand-over of the browser's return is taken in while the first is still reading the store.
TEST(KeychainSessionStoreTest, TwoHandOversOfOneReturnExchangeItsCodeOnce)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
    const LogLines log;
    TestAuthService service([] { return QDateTime::currentSecsSinceEpoch(); });
    QNetworkAccessManager network;
    AuthClient client(service.config(), network);
    KeychainSessionStore store(uniqueService());
    AccountManager manager(client, store);
    const QUrl callback = service.googleReturn(manager.beginGoogle());

    int completions = 0;
    std::optional<AuthError> failure;
    const auto handOver = [&] {
        manager.handle(callback, [&](std::optional<AuthError> error) {
            ++completions;
            failure = std::move(error);
        });
    };
    QTimer::singleShot(0, handOver);
    QTimer::singleShot(0, handOver);
    ASSERT_TRUE(waitUntil([&] { return completions > 0; }));
    waitUntil([] { return false; }, std::chrono::milliseconds(300));

    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(failure) << failure->description().toStdString();
    EXPECT_TRUE(manager.state());
    EXPECT_EQ(store.session(), manager.state());
    int exchanges = 0;
    for (const HttpRequest& request : service.server().requests())
        exchanges += request.path() == "/auth/v1/token";
    EXPECT_EQ(exchanges, 1);
    EXPECT_TRUE(log.mentions(QStringLiteral("sign-in return ignored")));
    store.setSession(std::nullopt);
}
