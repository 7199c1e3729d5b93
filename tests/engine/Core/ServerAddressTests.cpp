#include "Core/RawValues.h"
#include "Core/ServerAddress.h"

#include <gtest/gtest.h>

TEST(ServerAddress, EncryptedAnywherePlainOnlyToThisComputer)
{
    for (const char* accepted : {"wss://speech.example/v1", "WSS://Speech.Example", "ws://localhost:9000/x",
                                 "ws://127.0.0.1", "ws://[::1]:8080/", "WS://LOCALHOST"})
        EXPECT_NO_THROW(ServerAddress::requireSafe(QUrl(accepted), QLatin1String("wss"), QLatin1String("ws")))
            << accepted;

    const std::tuple<const char*, AddressError::Kind, const char*> refused[] = {
        {"ws://192.168.1.5:9000/stream", AddressError::Kind::insecureURL,
         "refusing to send audio over an unencrypted connection to ws://192.168.1.5:9000/stream (use wss://)"},
        {"ws://127.0.0.2/", AddressError::Kind::insecureURL,
         "refusing to send audio over an unencrypted connection to ws://127.0.0.2/ (use wss://)"},
        {"ftp://localhost/", AddressError::Kind::insecureURL,
         "refusing to send audio over an unencrypted connection to ftp://localhost/ (use wss://)"},
        {"wss:///nohost", AddressError::Kind::badURL, "not a valid server address: wss:///nohost"},
        {"/v1/stream", AddressError::Kind::badURL, "not a valid server address: /v1/stream"},
    };
    for (const auto& [url, kind, description] : refused) {
        try {
            ServerAddress::requireSafe(QUrl(url), QLatin1String("wss"), QLatin1String("ws"));
            ADD_FAILURE() << url << " was accepted";
        } catch (const AddressError& error) {
            EXPECT_EQ(error.kind(), kind) << url;
            EXPECT_EQ(error.description(), QString::fromUtf8(description));
        }
    }
}

TEST(RawValues, MapBothWaysAndMatchOnlyExactly)
{
    enum class Colour { red, blue, green };
    constexpr auto table = rawValueTable<Colour>({{Colour::red, "red"}, {Colour::blue, "blue_ish"}});
    EXPECT_EQ(table.rawValue(Colour::blue), QStringLiteral("blue_ish"));
    EXPECT_EQ(table.value(QStringLiteral("blue_ish")), Colour::blue);
    EXPECT_EQ(table.value(QStringLiteral("red")), Colour::red);
    for (const char* unknown : {"Red", "red ", "", "blue"})
        EXPECT_EQ(table.value(QString::fromLatin1(unknown)), std::nullopt) << unknown;
    EXPECT_EQ(table.rawValue(Colour::green), QString()) << "a value without an entry has no raw value";
}
