#include "Main/CategorySymbol.h"

QString categorySymbol(AppCategory category)
{
    switch (category) {
    case AppCategory::email:
        return QStringLiteral("envelope");
    case AppCategory::messaging:
        return QStringLiteral("bubble.left");
    case AppCategory::documents:
        return QStringLiteral("doc.text");
    case AppCategory::code:
        return QStringLiteral("chevron.left.forwardslash.chevron.right");
    case AppCategory::other:
        break;
    }
    return QStringLiteral("square.grid.2x2");
}
