#pragma once
// Stored dates hold whole seconds: a date is cut down to the second at or before it.

#include <QDateTime>

inline QDateTime wholeSecond(const QDateTime& date)
{
    const qint64 milliseconds = date.toMSecsSinceEpoch();
    const qint64 seconds = milliseconds >= 0 ? milliseconds / 1000 : -((-milliseconds + 999) / 1000);
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}
