// Writes each argument as one log line, then waits for the file. The log tests run it as a
// separate process because the log file is chosen once per process.

#include "Core/Log.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList lines = app.arguments().mid(1);
    for (const QString& line : lines)
        Log::info(line);
    Log::flush();
    return 0;
}
