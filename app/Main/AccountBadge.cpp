#include "Main/AccountBadge.h"

#include <QTextBoundaryFinder>

QString AccountBadge::letter(const QString& displayName, const QString& email)
{
    const QString source = !displayName.isEmpty() ? displayName : !email.isEmpty() ? email : QStringLiteral("?");
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, source);
    const qsizetype end = finder.toNextBoundary();
    return source.left(end > 0 ? end : source.size()).toUpper();
}

QString AccountBadge::name(const QString& displayName)
{
    return displayName.isEmpty() ? QStringLiteral("Account") : displayName;
}
