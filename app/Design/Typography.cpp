#include "Typography.h"

#include "Script.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Text items turn point sizes into pixels with the primary screen's logical resolution.
qreal pixelsPerPoint()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    return dpi / 72.0;
}

QFont make(const QString& family, qreal size)
{
    QFont font(family);
    font.setPointSizeF(size / pixelsPerPoint());
    return font;
}

}  // namespace

QFont Typography::latin(qreal size, int weight)
{
    QFont font = make(QStringLiteral("Commissioner"), size);
    font.setWeight(QFont::Weight(weight));
    return font;
}

QFont Typography::figures(qreal size, int weight)
{
    QFont font = make(QStringLiteral("Commissioner Figures"), size);
    // Persian digits (a number in a Persian locale) come from Vazirmatn's tabular figures.
    font.setFamilies({QStringLiteral("Commissioner Figures"), QStringLiteral("Vazirmatn Figures")});
    font.setWeight(QFont::Weight(weight));
    return font;
}

QFont Typography::persian(qreal size)
{
    return make(QStringLiteral("Vazirmatn"), size);
}

QFont Typography::forText(const QString& text, qreal size, int weight)
{
    return Script::isPersian(text) ? persian(size + 1) : latin(size, weight);
}

QFont Typography::tracked(QFont font, qreal tracking)
{
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking * pixelsPerPoint());
    return font;
}

qreal Typography::sizeOf(const QFont& font)
{
    return font.pointSizeF() * pixelsPerPoint();
}
