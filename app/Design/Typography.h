#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The design system's fonts: sizes are given in points of the layout (one point = one
// device-independent pixel) and may be fractional (14.5, 12.5), so they are set as fractional
// font point sizes rather than rounded to whole pixels. Persian text is set in "Vazirmatn"
// 1 point larger than the Latin size it replaces, at the family's default weight.
class Typography : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE static QFont latin(qreal size, int weight);
    // "Commissioner Figures" (Commissioner with digits of one width; Persian digits from "Vazirmatn
    // Figures") at `size` and `weight`: for numbers that should keep their width as they change.
    Q_INVOKABLE static QFont figures(qreal size, int weight);
    // "Vazirmatn" at exactly `size`, at the family's default weight.
    Q_INVOKABLE static QFont persian(qreal size);
    // "Vazirmatn" at size + 1 when `text` is Persian, otherwise "Commissioner" with `weight`.
    Q_INVOKABLE static QFont forText(const QString& text, qreal size, int weight);
    // The font with that letter tracking, in points (negative tightens).
    Q_INVOKABLE static QFont tracked(QFont font, qreal tracking);
    // The layout size, in points, that a font made here was given.
    Q_INVOKABLE static qreal sizeOf(const QFont& font);
};
