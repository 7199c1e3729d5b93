#include "LogLines.h"

#include "Core/Log.h"

#include <QFile>

namespace {

QString logPath()
{
    return qEnvironmentVariable("QUILLMARSH_LOG");
}

}

LogLines::LogLines()
{
    Log::flush();
    start_ = QFile(logPath()).size();
}

QStringList LogLines::lines() const
{
    Log::flush();
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(start_);
    QStringList result;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            result.append(QString::fromUtf8(line.mid(line.indexOf(' ') + 1)));
    }
    return result;
}

bool LogLines::mentions(const QString& text) const
{
    return lines().join(u'\n').contains(text);
}
