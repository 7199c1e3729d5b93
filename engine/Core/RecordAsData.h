#pragma once
// One record of a store as data for a change (see SharedRecords): the document the store's file
// would be if it held that record alone, so a record has one form on disk wherever it is kept.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include <optional>

template <typename Record, typename Encode>
QJsonValue recordAsData(const Record& record, Encode encodeFile)
{
    const QJsonDocument document = QJsonDocument::fromJson(encodeFile(QList<Record>{record}));
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// Nothing unless the data is a file of exactly one record.
template <typename Record, typename Decode>
std::optional<Record> recordFromData(const QJsonValue& data, Decode decodeFile)
{
    const QJsonDocument document = data.isArray() ? QJsonDocument(data.toArray()) : QJsonDocument(data.toObject());
    const std::optional<QList<Record>> records = decodeFile(document.toJson(QJsonDocument::Compact));
    if (!records || records->size() != 1)
        return std::nullopt;
    return records->first();
}
