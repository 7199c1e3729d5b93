#pragma once
// Web applications recognised from a browser window's title, so a mail or chat site in a
// browser gets the style of its kind of application.

#include "Style/AppCategory.h"

#include <QSet>
#include <QString>

#include <optional>

struct WebApp {
    QString name;
    AppCategory category = AppCategory::other;

    bool operator==(const WebApp&) const = default;
};

namespace Browsers {
const QSet<QString>& bundleIDs();
bool isBrowser(const std::optional<QString>& bundleID);
// The first known site (in a fixed order) that one of the title's segments names.
std::optional<WebApp> webApp(const std::optional<QString>& windowTitle);
}
