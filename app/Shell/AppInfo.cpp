#include "AppInfo.h"

QString AppInfo::shortVersion()
{
    return QStringLiteral(QUILLMARSH_VERSION);
}

QString AppInfo::build()
{
    const QString number = QStringLiteral(QUILLMARSH_BUILD);
    return number.isEmpty() ? QStringLiteral("0") : number;
}

QString AppInfo::version()
{
    return QStringLiteral("%1 (%2)").arg(shortVersion(), build());
}

QString AppInfo::versionText()
{
    return QStringLiteral("Quillmarsh ") + version();
}
