#include "Cloud/CloudError.h"
#include "Formatting/FormatConfig.h"

#include <gtest/gtest.h>

TEST(FormatConfig, IsDerivedFromTheSpeechServerAddress)
{
    const auto secure = FormatConfig::from(QUrl(QStringLiteral("wss://user:pw@speech.example:8443/v1/stream?lang=fa#x")),
                                           QStringLiteral("t"));
    ASSERT_TRUE(secure);
    EXPECT_EQ(secure->endpoint, QUrl(QStringLiteral("https://user:pw@speech.example:8443/v1/format")));
    EXPECT_FALSE(secure->endpoint.hasQuery());
    EXPECT_FALSE(secure->endpoint.hasFragment());
    EXPECT_EQ(secure->token, QStringLiteral("t"));
    EXPECT_EQ(secure->timeout, 7.0);

    const auto upper = FormatConfig::from(QUrl(QStringLiteral("WSS://speech.example/stream")), std::nullopt);
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->endpoint, QUrl(QStringLiteral("https://speech.example/v1/format")));
    EXPECT_EQ(upper->token, std::nullopt);

    EXPECT_EQ(FormatConfig::from(QUrl(QStringLiteral("ws://127.0.0.1:9000")), std::nullopt)->endpoint,
              QUrl(QStringLiteral("http://127.0.0.1:9000/v1/format")));
    EXPECT_EQ(FormatConfig::from(QUrl(QStringLiteral("https://host/a")), std::nullopt)->endpoint,
              QUrl(QStringLiteral("https://host/v1/format")));

    EXPECT_FALSE(FormatConfig::from(QUrl(QStringLiteral("ftp://speech.example/")), std::nullopt));
    EXPECT_FALSE(FormatConfig::from(QUrl(QStringLiteral("speech.example/stream")), std::nullopt));
    EXPECT_FALSE(FormatConfig::from(QUrl(), std::nullopt));
}

namespace {
std::optional<CloudError::Kind> validationError(const QString& address)
{
    try {
        FormatConfig(QUrl(address)).validate();
        return std::nullopt;
    } catch (const CloudError& error) {
        return error.kind();
    }
}
}

TEST(FormatConfig, AcceptsHttpsAnywhereAndHttpOnlyToThisMachine)
{
    EXPECT_EQ(validationError(QStringLiteral("https://format.example/v1/format")), std::nullopt);
    EXPECT_EQ(validationError(QStringLiteral("HTTPS://FORMAT.EXAMPLE/v1/format")), std::nullopt);
    EXPECT_EQ(validationError(QStringLiteral("http://localhost:8000/v1/format")), std::nullopt);
    EXPECT_EQ(validationError(QStringLiteral("http://LOCALHOST/v1/format")), std::nullopt);
    EXPECT_EQ(validationError(QStringLiteral("http://127.0.0.1:8000/v1/format")), std::nullopt);
    EXPECT_EQ(validationError(QStringLiteral("http://[::1]:8000/v1/format")), std::nullopt);

    EXPECT_EQ(validationError(QStringLiteral("http://format.example/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("http://127.0.0.2/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("ftp://localhost/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("https:///v1/format")), CloudError::Kind::badURL);
    EXPECT_EQ(validationError(QStringLiteral("/v1/format")), CloudError::Kind::badURL);
}

TEST(FormatConfig, ValidationErrorsNameTheAddress)
{
    try {
        FormatConfig(QUrl(QStringLiteral("http://format.example/v1/format"))).validate();
        FAIL() << "an unencrypted remote address was accepted";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("refusing to send audio over an unencrypted connection to "
                                                      "http://format.example/v1/format (use wss://)"));
    }
    try {
        FormatConfig(QUrl(QStringLiteral("/v1/format"))).validate();
        FAIL() << "an address without a host was accepted";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("not a valid server address: /v1/format"));
    }
}
