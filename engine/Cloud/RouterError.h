#pragma once
// Why the speech router could not open a stream for the chosen mode.

#include "Core/Error.h"

class RouterError : public Error {
public:
    enum class Kind { noEngine, noServer };

    explicit RouterError(Kind kind) : Error(describe(kind)), kind_(kind) {}

    Kind kind() const { return kind_; }
    bool operator==(const RouterError& other) const { return kind_ == other.kind_; }

private:
    static QString describe(Kind kind)
    {
        return kind == Kind::noEngine ? QStringLiteral("the speech model isn't ready yet")
                                      : QStringLiteral("no speech server is set up");
    }

    Kind kind_;
};
