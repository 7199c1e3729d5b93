#include "AtSpi/TextUnits.h"

#include <QList>
#include <QStringView>

std::optional<TextUnits> TextUnits::ofToolkit(const QString& toolkitName)
{
    if (toolkitName.isEmpty())
        return std::nullopt;
    return TextUnits(toolkitName.startsWith(QLatin1String("Qt")));
}

std::optional<TextUnits> TextUnits::ofLength(const QString& text, qsizetype length)
{
    const qsizetype characters = QStringView(text).toUcs4().size();
    if (characters == text.size())
        return std::nullopt;
    if (length == text.size())
        return utf16();
    if (length == characters)
        return TextUnits::characters();
    return std::nullopt;
}

bool TextUnits::insertsAlike(const QString& text)
{
    return characters().insertLength(text) == utf16().insertLength(text);
}

qsizetype TextUnits::toUtf16(const QString& text, qsizetype offset) const
{
    if (utf16_)
        return qBound(qsizetype(0), offset, text.size());
    qsizetype units = 0;
    for (qsizetype characters = 0; characters < offset && units < text.size(); ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return units;
}

qsizetype TextUnits::fromUtf16(const QString& text, qsizetype units) const
{
    if (utf16_)
        return units;
    return QStringView(text).left(units).toUcs4().size();
}

qsizetype TextUnits::insertLength(const QString& text) const
{
    return utf16_ ? text.size() : text.toUtf8().size();
}
