#pragma once
// The two latency variants of the speech model. The raw value names the package's files on the
// model host and, with the family, its folder on disk.

#include <QString>

#include <array>
#include <optional>

class ModelPackage {
public:
    enum Value { accurate, fast };

    constexpr ModelPackage(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<Value, 2> all{accurate, fast};
    // Accepts exactly "1120ms" or "320ms".
    static std::optional<ModelPackage> fromRawValue(const QString& rawValue);

    QString rawValue() const;
    QString title() const;
    double tailSeconds() const;
    // The developer fallback folder: ~/quillmarsh-models/<family export folder>/<raw value>.
    QString directory() const;

private:
    Value value_;
};
