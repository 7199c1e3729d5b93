#include "Core/KnownSettings.h"

#include <QHash>
#include <QJsonDocument>
#include <QRect>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

enum class Form { boolean, days, name, jsonObject, rect, address, keyList };

const QHash<QString, Form>& forms()
{
    static const QHash<QString, Form> table{
        {QStringLiteral("punctuation"), Form::boolean},
        {QStringLiteral("historyEnabled"), Form::boolean},
        {QStringLiteral("improveAfterInserting"), Form::boolean},
        {QStringLiteral("keepClips"), Form::boolean},
        {QStringLiteral("onboardingDone"), Form::boolean},
        {QStringLiteral("formalInMail"), Form::boolean},
        {QStringLiteral("historyDays"), Form::days},
        {QStringLiteral("dictationKey"), Form::name},
        {QStringLiteral("engineMode"), Form::name},
        {QStringLiteral("modelPackage"), Form::name},
        {QStringLiteral("modelFamily"), Form::name},
        {QStringLiteral("formatStyle"), Form::name},
        {QStringLiteral("stylePolicy"), Form::jsonObject},
        {QStringLiteral("QuillmarshMainWindow2"), Form::rect},
        {QStringLiteral("cloudURL"), Form::address},
        {QStringLiteral("notChosen"), Form::keyList},
    };
    return table;
}

bool hasForm(Form form, const QVariant& value)
{
    const QString text = value.toString();
    switch (form) {
    case Form::boolean:
        return value.typeId() == QMetaType::Bool || text == QLatin1String("true") || text == QLatin1String("false")
               || text == QLatin1String("1") || text == QLatin1String("0");
    case Form::days: {
        bool ok = false;
        return text.toInt(&ok) >= 1 && ok;
    }
    case Form::name: {
        static const QRegularExpression word(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
        return word.match(text).hasMatch();
    }
    case Form::jsonObject:
        return QJsonDocument::fromJson(text.toUtf8()).isObject();
    case Form::rect:
        return value.typeId() == QMetaType::QRect && value.toRect().isValid();
    case Form::address: {
        const QUrl url(text, QUrl::StrictMode);
        return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
    }
    case Form::keyList: {
        const QStringList keys = value.toStringList();
        return !keys.isEmpty()
               && std::all_of(keys.cbegin(), keys.cend(), [](const QString& key) { return forms().contains(key); });
    }
    }
    return false;
}

}

bool KnownSettings::isValid(const QString& key, const QVariant& value)
{
    const auto form = forms().constFind(key);
    return form != forms().cend() && hasForm(*form, value);
}
