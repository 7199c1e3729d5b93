#include "Formatting/Replace.h"

#include "Core/UnicodeText.h"

namespace Replace {

Decision decide(const Observed& observed)
{
    if (observed.userActed)
        return Decision::skip(QStringLiteral("the user typed or clicked"));
    if (!observed.sameTarget)
        return Decision::skip(QStringLiteral("focus moved"));
    if (observed.age > maxAge)
        return Decision::skip(QStringLiteral("too late"));
    switch (observed.field.kind) {
    case Field::Kind::matches:
        return Decision::replace();
    case Field::Kind::differs:
        return Decision::skip(QStringLiteral("the text changed"));
    case Field::Kind::unreadable:
        return Decision::skip(QStringLiteral("the field refused to be read"));
    case Field::Kind::absent:
        break;
    }
    // Keys could only undo the paste blind: where that undid nothing, the text would stand twice.
    return Decision::skip(QStringLiteral("no text element found"));
}

bool sameInField(const QString& shown, const QString& text)
{
    const auto spaced = [](QString written) { return written.replace(QChar(0x00A0), QLatin1Char(' ')); };
    return sameText(spaced(shown), spaced(text));
}

Field locate(const QString& pasted, const QString& value, Range selection)
{
    const qsizetype length = pasted.size();
    if (selection.length != 0 || length < 1 || selection.location == notFound || selection.location < length
        || value.size() < selection.location)
        return Field::differs();
    const qsizetype start = selection.location - length;
    // Of the same length, the field's copy of the pasted text counts as it.
    if (!sameInField(value.mid(start, length), pasted))
        return Field::differs();
    return Field::matches({start, length});
}

}
