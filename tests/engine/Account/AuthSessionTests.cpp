#include "Account/AuthSession.h"
#include "TestAuthService.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(AuthSessionTest, NameAndProviderComeFromTheAccessToken)
{
    const auto user = [](const QJsonValue& fullName, const QJsonValue& name) {
        QJsonObject metadata;
        if (!fullName.isUndefined())
            metadata.insert("full_name", fullName);
        if (!name.isUndefined())
            metadata.insert("name", name);
        return QJsonObject{{"user_metadata", metadata}, {"app_metadata", QJsonObject{{"provider", "google"}}}};
    };
    const struct {
        QJsonObject payload;
        std::optional<QString> displayName;
    } cases[] = {
        {user("  Sara   Ahmadi ", "S"), "Sara"},
        {user(QJsonValue::Undefined, "Reza"), "Reza"},
        {user("سارا احمدی", QJsonValue::Undefined), "سارا"},
        {user("   ", "Reza"), std::nullopt},
        {user(42, QJsonValue::Undefined), std::nullopt},
        {QJsonObject{{"user_metadata", "Sara"}}, std::nullopt},
    };
    for (const auto& [payload, displayName] : cases) {
        AuthSession session;
        session.accessToken = TestAuthService::token(payload);
        EXPECT_EQ(session.displayName(), displayName) << QJsonDocument(payload).toJson().toStdString();
    }
    AuthSession google;
    google.accessToken = TestAuthService::token(user("Sara", {}));
    EXPECT_EQ(google.provider(), "google");
    AuthSession opaque;
    opaque.accessToken = QStringLiteral("not-a-jwt");
    EXPECT_FALSE(opaque.displayName());
    EXPECT_FALSE(opaque.provider());
}

TEST(AuthSessionTest, KeptFormReadsBackAndRejectsWhatIsNotASession)
{
    const auto session =
        AuthSession::fromServiceReply(QJsonObject{{"access_token", "a"},
                                                  {"refresh_token", "r"},
                                                  {"expires_in", 3600},
                                                  {"user", QJsonObject{{"id", "u1"}, {"email", "sara@example.com"}}}},
                                      1'000);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->expiresAt, 4'600);
    EXPECT_EQ(AuthSession::decoded(session->encoded()), session);
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("[]"), QByteArray(R"({"access_token":"a","refresh_token":"r"})"),
          QByteArray(R"({"access_token":"","refresh_token":"r","expires_at":1,"user_id":"u"})")})
        EXPECT_FALSE(AuthSession::decoded(bytes)) << bytes.toStdString();
}
