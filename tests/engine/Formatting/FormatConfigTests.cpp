#include "Core/ServerAddress.h"
#include "Formatting/FormatConfig.h"

#include <gtest/gtest.h>

TEST(FormatConfig, IsDerivedFromTheSpeechServerAddress)
{
    const auto secure = FormatConfig::from(
        QUrl(QStringLiteral("wss://user:pw@speech.example:8443/v1/stream?lang=fa#x")), QStringLiteral("t"));
    ASSERT_TRUE(secure);
    EXPECT_EQ(secure->endpoint, QUrl(QStringLiteral("https://user:pw@speech.example:8443/v1/format")));
    EXPECT_EQ(secure->token, QStringLiteral("t"));

    const auto upper = FormatConfig::from(QUrl(QStringLiteral("WSS://speech.example/stream")), std::nullopt);
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->endpoint, QUrl(QStringLiteral("https://speech.example/v1/format")));

    EXPECT_EQ(FormatConfig::from(QUrl(QStringLiteral("ws://127.0.0.1:9000")), std::nullopt)->endpoint,
              QUrl(QStringLiteral("http://127.0.0.1:9000/v1/format")));
    EXPECT_EQ(FormatConfig::from(QUrl(QStringLiteral("https://host/a")), std::nullopt)->endpoint,
              QUrl(QStringLiteral("https://host/v1/format")));

    for (const char* refused : {"ftp://speech.example/", "speech.example/stream", ""})
        EXPECT_FALSE(FormatConfig::from(QUrl(QString::fromLatin1(refused)), std::nullopt)) << refused;
}

TEST(FormatConfig, FollowsTheAddressRuleForHttp)
{
    try {
        FormatConfig(QUrl(QStringLiteral("http://format.example/v1/format"))).validate();
        ADD_FAILURE() << "a plain address to another computer was accepted";
    } catch (const AddressError& error) {
        EXPECT_EQ(error.kind(), AddressError::Kind::insecureURL);
    }
}
