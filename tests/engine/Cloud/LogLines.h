#pragma once
// The log lines written since the object was made, without their time stamps.

#include "Log.h"

#include <QFile>
#include <QStringList>

class LogLines {
public:
    LogLines() : start_(size()) {}

    QStringList lines() const
    {
        Log::flush();
        QFile file(path());
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

private:
    static QString path() { return qEnvironmentVariable("QUILLMARSH_LOG"); }
    static qint64 size()
    {
        Log::flush();
        return QFile(path()).size();
    }

    qint64 start_;
};
