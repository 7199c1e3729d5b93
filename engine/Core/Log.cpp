#include "Log.h"

#include "AppFolders.h"
#include "PrivateFolder.h"
#include "SerialQueue.h"
#include "Settings.h"

#include <QDateTime>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray chooseFile()
{
    if (auto path = Environment::value("QUILLMARSH_LOG"))
        return QFile::encodeName(Environment::expandTilde(*path));
    const QString folder = AppFolders::state();
    makePrivateFolder(folder);  // without it only the system log has the lines
    return QFile::encodeName(folder + QStringLiteral("/Quillmarsh.log"));
}

struct LogFile {
    const QByteArray path = chooseFile();
    SerialQueue queue{"quillmarsh.log"};

    // Each line opens and closes the file, so another program may truncate or delete it at any
    // time; a deleted file is made anew. Failures lose the line: the system log still has it.
    void append(const QByteArray& line) const
    {
        const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        const char* data = line.constData();
        qsizetype left = line.size();
        while (left > 0) {
            const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
            if (written <= 0)
                break;
            data += written;
            left -= written;
        }
        ::close(fd);
    }
};

LogFile& logFile()
{
    static LogFile file;
    return file;
}

}

namespace Log {

void info(const QString& message)
{
    const QByteArray text = message.toUtf8();
    std::fprintf(stderr, "%s\n", text.constData());

    const QByteArray stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
    QByteArray line;
    line.reserve(stamp.size() + text.size() + 2);
    line.append(stamp).append(' ').append(text).append('\n');

    LogFile& file = logFile();
    file.queue.async([&file, line = std::move(line)] { file.append(line); });
}

void flush()
{
    logFile().queue.sync([] {});
}

}
