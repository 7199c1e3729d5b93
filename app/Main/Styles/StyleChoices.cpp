#include "Main/Styles/StyleChoices.h"

#include "Main/AppModel.h"
#include "Main/CategorySymbol.h"

void StyleChoices::setModel(AppModel* model)
{
    if (model_ == model)
        return;
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    if (model_)
        connect(model_, &AppModel::stylePolicyChanged, this, &StyleChoices::policyChanged);
    emit modelChanged();
    policyChanged();
}

void StyleChoices::policyChanged()
{
    QStringList ids;
    if (model_) {
        // The policy's map is ordered by QString's code-unit comparison.
        for (const auto& entry : model_->stylePolicy().byApp)
            ids.append(entry.first);
    }
    if (ids != apps_) {
        apps_ = ids;
        emit appsChanged();
    }
    emit changed();
}

QVariantList StyleChoices::categories()
{
    QVariantList result;
    for (const AppCategory category : AppCategories::allCases) {
        result.append(QVariantMap{{QStringLiteral("id"), AppCategories::rawValue(category)},
                                  {QStringLiteral("title"), AppCategories::title(category)},
                                  {QStringLiteral("examples"), AppCategories::examples(category)},
                                  {QStringLiteral("symbol"), categorySymbol(category)}});
    }
    return result;
}

QVariantMap StyleChoices::categoryStyles() const
{
    QVariantMap styles;
    if (model_) {
        for (const AppCategory category : AppCategories::allCases)
            styles.insert(AppCategories::rawValue(category),
                          DictationStyles::rawValue(model_->stylePolicy().style(category)));
    }
    return styles;
}

QVariantMap StyleChoices::appStyles() const
{
    QVariantMap styles;
    if (model_) {
        for (const auto& [appId, style] : model_->stylePolicy().byApp)
            styles.insert(appId, DictationStyles::rawValue(style));
    }
    return styles;
}

void StyleChoices::setCategoryStyle(const QString& category, const QString& style)
{
    const auto kind = AppCategories::fromRawValue(category);
    const auto chosen = DictationStyles::fromRawValue(style);
    if (!model_ || !kind || !chosen)
        return;
    StylePolicy policy = model_->stylePolicy();
    policy.set(*chosen, *kind);
    model_->setStylePolicy(policy);
}

QString StyleChoices::appStyle(const QString& appId) const
{
    return model_ ? DictationStyles::rawValue(model_->stylePolicy().style(appId, std::nullopt)) : QString();
}

void StyleChoices::setAppStyle(const QString& appId, const QString& style)
{
    const auto chosen = DictationStyles::fromRawValue(style);
    if (!model_ || !chosen || appId.isEmpty())
        return;
    StylePolicy policy = model_->stylePolicy();
    policy.byApp[appId] = *chosen;
    model_->setStylePolicy(policy);
}

void StyleChoices::addApp(const QString& appId)
{
    setAppStyle(appId, appStyle(appId));
}

void StyleChoices::removeApp(const QString& appId)
{
    if (!model_)
        return;
    StylePolicy policy = model_->stylePolicy();
    policy.byApp.erase(appId);
    model_->setStylePolicy(policy);
}
