#pragma once
// The kinds of application a writing style is chosen for, found from the front application's
// bundle identifier and, in a browser, from the web application its window title names.

#include <QSet>
#include <QString>

#include <array>
#include <map>
#include <optional>

enum class AppCategory { email, messaging, documents, code, other };

namespace AppCategories {
// The order the styles page lists them in.
inline constexpr std::array allCases{AppCategory::email, AppCategory::messaging, AppCategory::documents,
                                     AppCategory::code, AppCategory::other};

// Also the category's identity in stored files.
QString rawValue(AppCategory category);
// Exactly one of the five raw values (case-sensitive); anything else is no category.
std::optional<AppCategory> fromRawValue(const QString& rawValue);
QString title(AppCategory category);
// Applications of the kind, each one the tables below (or the web applications' table) place in it.
QString examples(AppCategory category);

// The applications known to belong to each category but other; no identifier is in two sets.
const std::map<AppCategory, QSet<QString>>& bundleIDs();

AppCategory of(const std::optional<QString>& bundleID);
// A browser showing a known web application takes that application's category.
AppCategory of(const std::optional<QString>& bundleID, const std::optional<QString>& windowTitle);
}
