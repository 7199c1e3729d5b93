#include "Account/KeychainSessionStore.h"

#include <QUuid>

#include <gtest/gtest.h>

// Runs against the desktop's Secret Service; scripts/test starts one on a private session bus.
TEST(KeychainSessionStoreTest, KeepsAndForgetsTheSessionAndThePendingSignIn)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        << "no session bus: run through scripts/test, which starts a Secret Service";
    // A service name of its own, so parallel runs don't share items.
    const QString service = QStringLiteral("Quillmarsh test ") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    AuthSession session;
    session.accessToken = QStringLiteral("access");
    session.refreshToken = QStringLiteral("refresh");
    session.expiresAt = 1'800'000'000;
    session.userID = QStringLiteral("u1");
    session.email = QStringLiteral("sara@example.com");
    const PendingSignIn pending{QStringLiteral("verifier"), QStringLiteral("state"), 1'799'999'000};
    {
        KeychainSessionStore store(service);
        EXPECT_FALSE(store.session());
        store.setSession(session);
        store.setPending(pending);
    }
    KeychainSessionStore store(service);
    EXPECT_EQ(store.session(), session) << "kept across stores, as across runs";
    EXPECT_EQ(store.pending(), pending);
    store.setSession(std::nullopt);
    store.setPending(std::nullopt);
    EXPECT_FALSE(store.session());
    EXPECT_FALSE(store.pending());
    EXPECT_FALSE(KeychainSessionStore(service).session());
}
