#pragma once
// The generation of the speech model. The family decides the folder names under which packages
// are stored, so switching it leaves the other family's packages untouched on disk.

#include "ModelPackage.h"

#include <QString>

#include <array>
#include <optional>

class ModelFamily {
public:
    enum Value { v1, v2_1 };

    constexpr ModelFamily(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<Value, 2> all{v1, v2_1};
    // Accepts exactly "v1" or "v2_1".
    static std::optional<ModelFamily> fromRawValue(const QString& rawValue);
    // Read afresh at every call: "QUILLMARSH_MODEL_FAMILY" when set, else the user setting
    // "modelFamily"; anything but exactly "v2_1" means v1.
    static ModelFamily current();

    QString rawValue() const;
    QString exportFolder() const;
    bool understandsEnglish() const;
    // The package's folder name in the model store: "v1-320ms" for v1, "320ms" for v2_1.
    QString storeName(ModelPackage package) const;

private:
    Value value_;
};
