#pragma once
// The speech server's wire protocol: JSON text messages both ways, and the audio as binary frames
// of signed 16-bit little-endian samples at 16 kHz, one channel.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

namespace CloudProtocol {

inline constexpr int version = 1;
inline constexpr int sampleRate = 16000;
inline constexpr int frameSamples = 800;  // 50 ms per binary frame
inline constexpr int maxFrameBytes = 65536;
inline constexpr int maxMessageBytes = 262144;
inline constexpr int maxAudioSeconds = 600;
inline constexpr int maxHotwords = 500;
inline constexpr int maxHotwordLength = 60;

enum class ClientKind { start, finish, cancel };
enum class ServerKind { ready, partial, final, error };

QString rawValue(ClientKind kind);
QString rawValue(ServerKind kind);
// Exact, case-sensitive match of the raw value.
std::optional<ClientKind> clientKind(const QString& raw);
std::optional<ServerKind> serverKind(const QString& raw);

struct ClientMessage {
    ClientKind type;
    std::optional<int> version;
    std::optional<QString> language;
    std::optional<QStringList> hotwords;
    std::optional<QString> token;

    bool operator==(const ClientMessage&) const = default;

    // Compact JSON; absent fields are left out, never written as null.
    QByteArray encode() const;
    // Nothing when the text is not a JSON object, "type" is missing or unknown, or a present key
    // holds the wrong JSON type. Unknown keys are ignored; null counts as absent.
    static std::optional<ClientMessage> decode(const QByteArray& json);
};

struct ServerMessage {
    ServerKind type;
    std::optional<QString> text;
    std::optional<QString> code;
    std::optional<QString> message;

    bool operator==(const ServerMessage&) const = default;

    QByteArray encode() const;
    static std::optional<ServerMessage> decode(const QByteArray& json);
};

// The server's error codes. Any other code may arrive too.
namespace ErrorCode {
inline const QString badMessage = QStringLiteral("bad_message");
inline const QString unsupportedVersion = QStringLiteral("unsupported_version");
inline const QString unauthorized = QStringLiteral("unauthorized");
inline const QString busy = QStringLiteral("busy");
inline const QString tooLong = QStringLiteral("too_long");
inline const QString timeout = QStringLiteral("timeout");
inline const QString engine = QStringLiteral("engine");
inline const QString shuttingDown = QStringLiteral("shutting_down");
}

// Two bytes per sample: non-finite gives 0, 1.0 and above 32767, the rest max(x, -1) * 32767
// truncated towards zero (so -32768 never appears).
QByteArray encode(std::span<const float> samples);
// Each sample times 1/32768; nothing for an odd byte count.
std::optional<std::vector<float>> decode(const QByteArray& data);

// Cleans a vocabulary for the server: the first 500 entries, ':' to blanks, whitespace collapsed,
// empty, over-long (60 characters) and case-insensitive repeats dropped.
QStringList sanitized(const std::optional<QStringList>& hotwords);

}
