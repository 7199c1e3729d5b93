#include "TypedSettingLines.h"

#include "KnownSettings.h"

#include <QStringList>

namespace {

// Calls `each` with every key of the general section whose value is plain text, its typed text,
// and the line; returns the lines with what `each` made of them.
QStringList eachTypedLine(const QByteArray& bytes,
                          const std::function<QString(const QString&, const QString&, const QString&)>& each)
{
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    bool general = true;
    for (QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            general = trimmed.compare(QLatin1String("[General]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        const QString key = trimmed.left(equals).trimmed();
        if (general && equals > 0 && KnownSettings::isPlainText(key))
            line = each(key, trimmed.mid(equals + 1).trimmed(), line);
    }
    return lines;
}

}

QHash<QString, QString> TypedSettingLines::typed(const QByteArray& bytes)
{
    QHash<QString, QString> typed;
    eachTypedLine(bytes, [&](const QString& key, const QString& text, const QString& line) {
        typed.insert(key, text);
        return line;
    });
    return typed;
}

bool TypedSettingLines::isQuoted(const QString& typed)
{
    return typed.size() >= 2 && typed.startsWith(u'"') && typed.endsWith(u'"');
}

QByteArray TypedSettingLines::rewritten(const QByteArray& bytes,
                                        const std::function<QString(const QString&, const QString&)>& form)
{
    const QStringList lines = eachTypedLine(
        bytes, [&](const QString& key, const QString& text, const QString&) { return key + u'=' + form(key, text); });
    return lines.join(u'\n').toUtf8();
}
