#pragma once
// Base of the system's small error types: each carries the text that is logged and shown.
// Subclasses add a kind (and payload) so callers can tell cases apart.

#include <QString>

#include <stdexcept>

class Error : public std::runtime_error {
public:
    explicit Error(const QString& description) : std::runtime_error(description.toStdString()) {}

    QString description() const { return QString::fromUtf8(what()); }
};
