#include "ProcessStats.h"

#include <QFile>

namespace ProcessStats {

uint64_t footprintBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    uint64_t kilobytes = 0;
    bool sawResident = false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const bool resident = line.startsWith("VmRSS:");
        if (!resident && !line.startsWith("VmSwap:"))
            continue;
        // "VmRSS:     123456 kB"
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool ok = false;
        const qulonglong value = fields.size() >= 2 ? fields[1].toULongLong(&ok) : 0;
        if (!ok)
            return 0;
        kilobytes += value;
        sawResident = sawResident || resident;
    }
    return sawResident ? kilobytes * 1024 : 0;
}

}
