#include "Cloud/CloudError.h"
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
    for (const char* accepted :
         {"https://format.example/v1/format", "HTTPS://FORMAT.EXAMPLE/v1/format", "http://localhost:8000/v1/format",
          "http://LOCALHOST/v1/format", "http://127.0.0.1:8000/v1/format", "http://[::1]:8000/v1/format"})
        EXPECT_EQ(validationError(QString::fromLatin1(accepted)), std::nullopt) << accepted;

    EXPECT_EQ(validationError(QStringLiteral("http://format.example/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("http://127.0.0.2/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("ftp://localhost/v1/format")), CloudError::Kind::insecureURL);
    EXPECT_EQ(validationError(QStringLiteral("https:///v1/format")), CloudError::Kind::badURL);
    EXPECT_EQ(validationError(QStringLiteral("/v1/format")), CloudError::Kind::badURL);
}
