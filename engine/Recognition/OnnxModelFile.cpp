#include "OnnxModelFile.h"

#include <QFile>

#include <optional>

namespace {

// ModelProto's field that holds the graph.
constexpr quint64 graphField = 7;

enum WireType : quint64 { varint = 0, fixed64 = 1, lengthDelimited = 2, fixed32 = 5 };

std::optional<quint64> readVarint(QFile& file)
{
    quint64 value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        char byte = 0;
        if (!file.getChar(&byte))
            return std::nullopt;
        value |= quint64(quint8(byte) & 0x7f) << shift;
        if (!(quint8(byte) & 0x80))
            return value;
    }
    return std::nullopt;
}

// Moves past `length` bytes, if the file has them.
bool skip(QFile& file, quint64 length)
{
    const qint64 left = file.size() - file.pos();
    return length <= quint64(left) && file.seek(file.pos() + qint64(length));
}

}

bool isWholeOnnxModel(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    bool hasGraph = false;
    while (!file.atEnd()) {
        const std::optional<quint64> key = readVarint(file);
        if (!key || *key >> 3 == 0)
            return false;
        switch (*key & 7) {
        case varint:
            if (!readVarint(file))
                return false;
            break;
        case fixed64:
            if (!skip(file, 8))
                return false;
            break;
        case fixed32:
            if (!skip(file, 4))
                return false;
            break;
        case lengthDelimited: {
            const std::optional<quint64> length = readVarint(file);
            if (!length || !skip(file, *length))
                return false;
            hasGraph = hasGraph || *key >> 3 == graphField;
            break;
        }
        default:  // groups, long gone from protocol buffers, or no wire type at all
            return false;
        }
    }
    return hasGraph;
}
