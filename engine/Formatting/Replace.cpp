#include "Formatting/Replace.h"

#include "Core/UnicodeText.h"

namespace Replace {

const QSet<QString>& noUndoApps()
{
    static const QSet<QString> apps{
        QStringLiteral("com.apple.Terminal"),     QStringLiteral("com.googlecode.iterm2"),
        QStringLiteral("com.mitchellh.ghostty"),  QStringLiteral("dev.warp.Warp-Stable"),
        QStringLiteral("net.kovidgoyal.kitty"),   QStringLiteral("org.alacritty"),
        QStringLiteral("com.github.wez.wezterm"), QStringLiteral("co.zeit.hyper"),
        QStringLiteral("com.raphaelamorim.rio"),
    };
    return apps;
}

Decision decide(const Observed& observed)
{
    if (observed.userActed)
        return Decision::skip(QStringLiteral("the user typed or clicked"));
    if (!observed.sameTarget)
        return Decision::skip(QStringLiteral("focus moved"));
    if (observed.age > maxAge)
        return Decision::skip(QStringLiteral("too late"));
    switch (observed.field.kind) {
    case Field::Kind::matches:
        return Decision::replace(Method::selection);
    case Field::Kind::differs:
        return Decision::skip(QStringLiteral("the text changed"));
    case Field::Kind::unreadable:
        break;
    }
    if (observed.bundleID && noUndoApps().contains(*observed.bundleID))
        return Decision::skip(QStringLiteral("this app can't undo a paste"));
    return Decision::replace(Method::undo);
}

Field locate(const QString& pasted, const QString& value, Range selection)
{
    const qsizetype length = pasted.size();
    if (selection.length != 0 || length < 1 || selection.location == notFound || selection.location < length
        || value.size() < selection.location)
        return Field::differs();
    const qsizetype start = selection.location - length;
    // Canonically equivalent texts of the same length count as the pasted text.
    if (!sameText(value.mid(start, length), pasted))
        return Field::differs();
    return Field::matches({start, length});
}

}
