#include "MainSection.h"

#include <QStringList>

namespace {
const QStringList& raws()
{
    static const QStringList values{QStringLiteral("home"),     QStringLiteral("history"),    QStringLiteral("styles"),
                                    QStringLiteral("snippets"), QStringLiteral("vocabulary"), QStringLiteral("account"),
                                    QStringLiteral("settings")};
    return values;
}
}

QString MainSections::rawValue(MainSection section)
{
    return raws().at(static_cast<int>(section));
}

std::optional<MainSection> MainSections::fromRawValue(const QString& raw)
{
    const qsizetype index = raws().indexOf(raw);
    if (index < 0)
        return std::nullopt;
    return static_cast<MainSection>(index);
}
