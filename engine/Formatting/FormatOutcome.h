#pragma once
// What one formatting request came to: a rewrite to apply, nothing to apply (with the server's
// word for why, or "skipped" when nothing was sent), or a failure with a short lower-case cause.

#include <QString>

#include <optional>

struct FormatOutcome {
    enum class Kind { improved, unchanged, failed };

    Kind kind = Kind::unchanged;
    // improved: the rewritten text, trimmed; unchanged: the status word; failed: the cause.
    QString text;
    // unchanged only: the server's optional explanation.
    std::optional<QString> reason;

    static FormatOutcome improved(const QString& text) { return {Kind::improved, text, std::nullopt}; }
    static FormatOutcome unchanged(const QString& status, std::optional<QString> reason)
    {
        return {Kind::unchanged, status, std::move(reason)};
    }
    static FormatOutcome failed(const QString& cause) { return {Kind::failed, cause, std::nullopt}; }

    bool operator==(const FormatOutcome&) const = default;
};
