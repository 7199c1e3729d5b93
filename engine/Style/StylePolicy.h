#pragma once
// The writing style the user wants for each kind of application, with per-application
// overrides. Kept in the user's settings as JSON under "stylePolicy"; the older "formatStyle"
// and "formalInMail" settings are read to build it while no stored policy exists.

#include "Formatting/DictationStyle.h"
#include "Style/AppCategory.h"

#include <QString>

#include <map>
#include <optional>

class Settings;

struct StylePolicy {
    // A category without an entry takes the standard policy's style.
    std::map<AppCategory, DictationStyle> byCategory;
    // Keyed by bundle identifier, as the system reports it.
    std::map<QString, DictationStyle> byApp;

    // Formal for email, as spoken for code, clean elsewhere; no per-application entries.
    static const StylePolicy& standard();
    // The policy equivalent to the older single style with its "formal in mail" switch.
    static StylePolicy migrated(DictationStyle chosen, bool formalInMail);

    DictationStyle style(AppCategory category) const;
    DictationStyle style(const std::optional<QString>& bundleID, const std::optional<QString>& windowTitle) const;
    void set(DictationStyle style, AppCategory category) { byCategory[category] = style; }

    // Never fails: a missing or damaged stored policy gives the migrated or the standard one.
    // Writes nothing.
    static StylePolicy load(const Settings& settings);
    void save(Settings& settings) const;

    bool operator==(const StylePolicy&) const = default;
};
