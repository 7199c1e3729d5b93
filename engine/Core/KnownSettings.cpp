#include "Core/KnownSettings.h"

#include <QHash>
#include <QJsonDocument>
#include <QRect>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

enum class Form { boolean, days, name, jsonObject, rect, address, secret, keyList };

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
        {QStringLiteral("formatURL"), Form::address},
        {QStringLiteral("cloudToken"), Form::secret},
        {QStringLiteral("formatToken"), Form::secret},
        {QStringLiteral("notChosen"), Form::keyList},
    };
    return table;
}

bool hasForm(Form form, const QVariant& value)
{
    const QString text = value.toString();
    switch (form) {
    case Form::boolean:
        return KnownSettings::boolean(value).has_value();
    case Form::days:
        return KnownSettings::days(value).has_value();
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
    case Form::secret:
        // A server's token: any one line of text within reason.
        return !text.isEmpty() && text.size() <= 8192 && std::none_of(text.cbegin(), text.cend(), [](QChar c) {
            return c.category() == QChar::Other_Control;
        });
    case Form::keyList: {
        const QStringList keys = value.toStringList();
        return !keys.isEmpty()
               && std::all_of(keys.cbegin(), keys.cend(), [](const QString& key) { return forms().contains(key); });
    }
    }
    return false;
}

}

std::optional<bool> KnownSettings::boolean(const QVariant& value)
{
    const QString text = value.toString();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<int> KnownSettings::days(const QVariant& value)
{
    bool ok = false;
    const int days = value.toString().toInt(&ok);
    return ok && days >= 1 ? std::optional(days) : std::nullopt;
}

bool KnownSettings::isPlainText(const QString& key)
{
    const auto form = forms().constFind(key);
    return form != forms().cend() && (*form == Form::address || *form == Form::secret);
}

bool KnownSettings::isValid(const QString& key, const QVariant& value)
{
    const auto form = forms().constFind(key);
    return form != forms().cend() && hasForm(*form, value);
}
