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
