#include "Style/StylePolicy.h"

#include "Core/Settings.h"
#include "Style/WebApps.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString policyKey = QStringLiteral("stylePolicy");
const QString olderStyleKey = QStringLiteral("formatStyle");
const QString olderFormalInMailKey = QStringLiteral("formalInMail");

// The stored form: {"categories":{raw category: raw style}, "apps":{bundle id: raw style}}.
std::optional<StylePolicy> decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue categories = document.object().value(QLatin1String("categories"));
    const QJsonValue apps = document.object().value(QLatin1String("apps"));
    if (!categories.isObject() || !apps.isObject())
        return std::nullopt;
    const QJsonObject categoryMembers = categories.toObject();
    const QJsonObject appMembers = apps.toObject();
    // Every value must be a string for the stored form to be readable at all.
    for (const QJsonObject& members : {categoryMembers, appMembers}) {
        for (auto it = members.begin(); it != members.end(); ++it) {
            if (!it.value().isString())
                return std::nullopt;
        }
    }

    StylePolicy policy{StylePolicy::standard().byCategory, {}};
    for (auto it = categoryMembers.begin(); it != categoryMembers.end(); ++it) {
        const auto category = AppCategories::fromRawValue(it.key());
        const auto style = DictationStyles::fromRawValue(it.value().toString());
        if (category && style)
            policy.byCategory[*category] = *style;
    }
    for (auto it = appMembers.begin(); it != appMembers.end(); ++it) {
        if (const auto style = DictationStyles::fromRawValue(it.value().toString()))
            policy.byApp[it.key()] = *style;
    }
    return policy;
}

// A Boolean setting, as the settings file keeps it (a Boolean until reloaded, then its text).
std::optional<bool> booleanValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        if (value.toString() == QLatin1String("true"))
            return true;
        if (value.toString() == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

}

const StylePolicy& StylePolicy::standard()
{
    static const StylePolicy policy{
        {
            {AppCategory::email, DictationStyle::formal},
            {AppCategory::messaging, DictationStyle::clean},
            {AppCategory::documents, DictationStyle::clean},
            {AppCategory::code, DictationStyle::asSpoken},
            {AppCategory::other, DictationStyle::clean},
        },
        {},
    };
    return policy;
}

StylePolicy StylePolicy::migrated(DictationStyle chosen, bool formalInMail)
{
    DictationStyle email = chosen;
    if (chosen == DictationStyle::clean)
        email = formalInMail ? DictationStyle::formal : DictationStyle::clean;
    return StylePolicy{
        {
            {AppCategory::email, email},
            {AppCategory::messaging, chosen},
            {AppCategory::documents, chosen},
            {AppCategory::code, DictationStyle::asSpoken},
            {AppCategory::other, chosen},
        },
        {},
    };
}

DictationStyle StylePolicy::style(AppCategory category) const
{
    if (const auto found = byCategory.find(category); found != byCategory.end())
        return found->second;
    const auto& fallback = standard().byCategory;
    if (const auto found = fallback.find(category); found != fallback.end())
        return found->second;
    return DictationStyle::clean;
}

DictationStyle StylePolicy::style(const std::optional<QString>& bundleID,
                                  const std::optional<QString>& windowTitle) const
{
    if (bundleID) {
        if (const auto found = byApp.find(*bundleID); found != byApp.end())
            return found->second;
    }
    if (Browsers::isBrowser(bundleID)) {
        if (const auto webApp = Browsers::webApp(windowTitle))
            return style(webApp->category);
    }
    return style(AppCategories::of(bundleID));
}

StylePolicy StylePolicy::load(const Settings& settings)
{
    const QVariant stored = settings.value(policyKey);
    if (stored.typeId() == QMetaType::QByteArray) {
        if (auto policy = decode(stored.toByteArray()))
            return *policy;
    }
    const QVariant older = settings.value(olderStyleKey);
    if (older.typeId() == QMetaType::QString) {
        if (const auto chosen = DictationStyles::fromRawValue(older.toString()))
            return migrated(*chosen, booleanValue(settings.value(olderFormalInMailKey)).value_or(true));
    }
    return standard();
}

void StylePolicy::save(Settings& settings) const
{
    QJsonObject categories;
    for (const auto& [category, style] : byCategory)
        categories.insert(AppCategories::rawValue(category), DictationStyles::rawValue(style));
    QJsonObject apps;
    for (const auto& [bundleID, style] : byApp)
        apps.insert(bundleID, DictationStyles::rawValue(style));
    const QJsonObject stored{{QStringLiteral("categories"), categories}, {QStringLiteral("apps"), apps}};
    settings.setValue(policyKey, QJsonDocument(stored).toJson(QJsonDocument::Compact));
}
