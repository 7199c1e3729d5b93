#pragma once
// The calendar time that session and sign-in expiries are measured in, injectable for tests.

#include <QDateTime>

#include <functional>

using WallTime = std::function<qint64()>;  // seconds since 1970

inline qint64 systemWallTime()
{
    return QDateTime::currentSecsSinceEpoch();
}
