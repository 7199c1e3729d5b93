#include "Cloud/CloudProtocol.h"

#include "Core/RawValues.h"
#include "Core/UnicodeText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace CloudProtocol {

namespace {

constexpr auto clientRaw = rawValueTable<ClientKind>(
    {{ClientKind::start, "start"}, {ClientKind::finish, "finish"}, {ClientKind::cancel, "cancel"}});
constexpr auto serverRaw = rawValueTable<ServerKind>({{ServerKind::ready, "ready"},
                                                      {ServerKind::partial, "partial"},
                                                      {ServerKind::final, "final"},
                                                      {ServerKind::error, "error"}});

std::optional<QJsonObject> parseObject(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// A key's value: absent (also for null), present, or of the wrong JSON type.
template <typename T>
struct Field {
    bool valid = true;
    std::optional<T> value;
};

Field<QString> stringField(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        return {false, {}};
    return {true, value.toString()};
}

Field<int> integerField(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::trunc(number) || number < INT32_MIN || number > INT32_MAX)
        return {false, {}};
    return {true, static_cast<int>(number)};
}

Field<QStringList> stringListField(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isArray())
        return {false, {}};
    QStringList list;
    for (const QJsonValue element : value.toArray()) {
        if (!element.isString())
            return {false, {}};
        list.append(element.toString());
    }
    return {true, list};
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}

QString rawValue(ClientKind kind)
{
    return clientRaw.rawValue(kind);
}
QString rawValue(ServerKind kind)
{
    return serverRaw.rawValue(kind);
}

std::optional<ClientKind> clientKind(const QString& raw)
{
    return clientRaw.value(raw);
}

std::optional<ServerKind> serverKind(const QString& raw)
{
    return serverRaw.value(raw);
}

QByteArray ClientMessage::encode() const
{
    QJsonObject object{{QStringLiteral("type"), rawValue(type)}};
    if (version)
        object.insert(QStringLiteral("version"), *version);
    if (language)
        object.insert(QStringLiteral("language"), *language);
    if (hotwords)
        object.insert(QStringLiteral("hotwords"), QJsonArray::fromStringList(*hotwords));
    if (token)
        object.insert(QStringLiteral("token"), *token);
    return compact(object);
}

std::optional<ClientMessage> ClientMessage::decode(const QByteArray& json)
{
    const auto object = parseObject(json);
    if (!object)
        return std::nullopt;
    const auto type = stringField(*object, QStringLiteral("type"));
    const auto kind = type.value ? clientKind(*type.value) : std::nullopt;
    const auto versionField = integerField(*object, QStringLiteral("version"));
    const auto languageField = stringField(*object, QStringLiteral("language"));
    const auto hotwordsField = stringListField(*object, QStringLiteral("hotwords"));
    const auto tokenField = stringField(*object, QStringLiteral("token"));
    if (!kind || !versionField.valid || !languageField.valid || !hotwordsField.valid || !tokenField.valid)
        return std::nullopt;
    return ClientMessage{*kind, versionField.value, languageField.value, hotwordsField.value, tokenField.value};
}

QByteArray ServerMessage::encode() const
{
    QJsonObject object{{QStringLiteral("type"), rawValue(type)}};
    if (text)
        object.insert(QStringLiteral("text"), *text);
    if (code)
        object.insert(QStringLiteral("code"), *code);
    if (message)
        object.insert(QStringLiteral("message"), *message);
    return compact(object);
}

std::optional<ServerMessage> ServerMessage::decode(const QByteArray& json)
{
    const auto object = parseObject(json);
    if (!object)
        return std::nullopt;
    const auto type = stringField(*object, QStringLiteral("type"));
    const auto kind = type.value ? serverKind(*type.value) : std::nullopt;
    const auto textField = stringField(*object, QStringLiteral("text"));
    const auto codeField = stringField(*object, QStringLiteral("code"));
    const auto messageField = stringField(*object, QStringLiteral("message"));
    if (!kind || !textField.valid || !codeField.valid || !messageField.valid)
        return std::nullopt;
    return ServerMessage{*kind, textField.value, codeField.value, messageField.value};
}

QByteArray encode(std::span<const float> samples)
{
    QByteArray data(static_cast<qsizetype>(samples.size()) * 2, Qt::Uninitialized);
    char* out = data.data();
    for (const float x : samples) {
        std::int16_t value = 0;
        if (!std::isfinite(x))
            value = 0;
        else if (x >= 1.0f)
            value = 32767;
        else
            value = static_cast<std::int16_t>(std::max(x, -1.0f) * 32767.0f);
        const auto bits = static_cast<std::uint16_t>(value);
        *out++ = static_cast<char>(bits & 0xff);
        *out++ = static_cast<char>(bits >> 8);
    }
    return data;
}

std::optional<std::vector<float>> decode(const QByteArray& data)
{
    if (data.size() % 2 != 0)
        return std::nullopt;
    std::vector<float> samples;
    samples.reserve(static_cast<size_t>(data.size() / 2));
    for (qsizetype i = 0; i < data.size(); i += 2) {
        const auto bits = static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[i])
                                                     | static_cast<std::uint8_t>(data[i + 1]) << 8);
        samples.push_back(static_cast<float>(static_cast<std::int16_t>(bits)) * (1.0f / 32768.0f));
    }
    return samples;
}

QStringList sanitized(const std::optional<QStringList>& hotwords)
{
    QStringList result;
    if (!hotwords)
        return result;
    QSet<QString> seen;
    const qsizetype count = std::min<qsizetype>(hotwords->size(), maxHotwords);
    for (qsizetype i = 0; i < count; ++i) {
        QString entry = hotwords->at(i);
        entry.replace(QLatin1Char(':'), QLatin1Char(' '));
        entry = entry.simplified();
        if (entry.isEmpty() || userCharacterCount(entry) > maxHotwordLength)
            continue;
        const QString folded = entry.toLower();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        result.append(entry);
    }
    return result;
}

}
