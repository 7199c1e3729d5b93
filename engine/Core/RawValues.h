#pragma once
// Small enumerations stored as text (in settings, files and messages): one table of each value
// with its raw string, read both ways. A raw string matches exactly, case included; any other
// string stands for no value.

#include <QLatin1String>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

template <typename Enum, std::size_t Count>
class RawValues {
public:
    using Entry = std::pair<Enum, const char*>;

    constexpr explicit RawValues(const std::array<Entry, Count>& entries) : entries_(entries) {}

    QString rawValue(Enum value) const
    {
        for (const auto& [candidate, raw] : entries_) {
            if (candidate == value)
                return QString::fromLatin1(raw);
        }
        return {};
    }

    std::optional<Enum> value(const QString& raw) const
    {
        for (const auto& [candidate, text] : entries_) {
            if (raw == QLatin1String(text))
                return candidate;
        }
        return std::nullopt;
    }

private:
    std::array<Entry, Count> entries_;
};

// rawValueTable<Colour>({{Colour::red, "red"}, {Colour::blue, "blue"}})
template <typename Enum, std::size_t Count>
constexpr RawValues<Enum, Count> rawValueTable(const std::pair<Enum, const char*> (&entries)[Count])
{
    return RawValues<Enum, Count>(std::to_array(entries));
}
