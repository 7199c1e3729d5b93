#include "SystemError.h"

#include <cerrno>
#include <cstring>

QString systemErrorText(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("the disk is full");
    return QString::fromLocal8Bit(std::strerror(error));
}
