#include "Cloud/CloudProtocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace CloudProtocol;

namespace {

std::vector<int> integers(const QByteArray& data)
{
    std::vector<int> values;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        values.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(data[i])
                                                   | static_cast<std::uint8_t>(data[i + 1]) << 8));
    return values;
}

}

TEST(CloudProtocol, ServerMessagesDecodeStrictly)
{
    EXPECT_EQ(ServerMessage::decode(R"({"type":"partial"})"),
              (ServerMessage{ServerKind::partial, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(ServerMessage::decode(R"({"type":"final","text":"x","extra":[1]})"),
              (ServerMessage{ServerKind::final, QStringLiteral("x"), std::nullopt, std::nullopt}));
    EXPECT_EQ(ServerMessage::decode(R"({"type":"error","code":null})"),
              (ServerMessage{ServerKind::error, std::nullopt, std::nullopt, std::nullopt}));
    for (const char* invalid :
         {R"({"type":"Partial","text":"x"})", R"({"type":"partial","text":5})", R"({"text":"x"})", R"({"type":7})",
          R"(["ready"])", "ready", "", R"({"type":"ready")", R"({"type":"error","message":{}})"})
        EXPECT_EQ(ServerMessage::decode(invalid), std::nullopt) << invalid;

    const ServerMessage error{ServerKind::error, std::nullopt, QStringLiteral("busy"), QStringLiteral("later")};
    EXPECT_EQ(ServerMessage::decode(error.encode()), error);
}

TEST(CloudProtocol, SamplesBecomeTruncatedLittleEndianIntegers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::vector<float> samples{1.0f, 2.5f, -1.0f, -3.0f, 0.0f, nan, infinity, -infinity, 0.5f, -0.5f};
    const QByteArray data = encode(samples);
    ASSERT_EQ(data.size(), 20);
    EXPECT_EQ(integers(data), (std::vector<int>{32767, 32767, -32767, -32767, 0, 0, 0, 0, 16383, -16383}));
    EXPECT_EQ(data.left(2), QByteArray("\xff\x7f", 2));
    EXPECT_EQ(decode(QByteArray(3, '\0')), std::nullopt);
    EXPECT_EQ(decode(QByteArray("\x00\x80", 2)), std::vector<float>{-1.0f});
}

TEST(CloudProtocol, SanitizedHotwordsAreCleanedDeduplicatedAndBounded)
{
    EXPECT_EQ(sanitized(std::nullopt), QStringList{});
    EXPECT_EQ(sanitized(QStringList{"a:b", "  Tehran ", "tehran", ""}), (QStringList{"a b", "Tehran"}));
    EXPECT_EQ(sanitized(QStringList{QString(61, 'x'), QString(60, 'y')}), QStringList{QString(60, 'y')});
    // Grapheme clusters count as one character each.
    const QString accented = QString(QChar('e')) + QChar(0x0301);
    EXPECT_EQ(sanitized(QStringList{accented.repeated(60), accented.repeated(61)}), QStringList{accented.repeated(60)});

    QStringList many;
    for (int i = 0; i < 600; ++i)
        many.append(i < 10 ? QString() : QStringLiteral("w%1").arg(i));
    const QStringList cleaned = sanitized(many);
    EXPECT_EQ(cleaned.size(), 490);
    EXPECT_EQ(cleaned.last(), QStringLiteral("w499"));
}
