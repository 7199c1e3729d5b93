#include "Core/Log.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

QStringList linesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Runs the log writer in a process of its own with the given environment changes.
void writeInOwnProcess(const QStringList& messages, const QList<QPair<QString, QString>>& environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUILLMARSH_LOG"));
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(LOG_WRITER), messages);
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0);
}

const QRegularExpression linePattern(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z) (.*)$"));

}

TEST(Log, LineIsIsoStampBlankMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.log"));
    writeInOwnProcess({QStringLiteral("model ready (320ms)"), QStringLiteral("سلام دنیا")},
                      {{QStringLiteral("QUILLMARSH_LOG"), path}});

    const QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 2) << "the first line creates the file, the next is appended";
    const auto first = linePattern.match(lines[0]);
    ASSERT_TRUE(first.hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(first.captured(2), QStringLiteral("model ready (320ms)"));
    EXPECT_EQ(linePattern.match(lines[1]).captured(2), QStringLiteral("سلام دنیا")) << "Persian text written as UTF-8";
}

TEST(Log, LinesFromManyThreadsStayWholeAndInOrder)
{
    const QString path = qEnvironmentVariable("QUILLMARSH_LOG");
    Log::flush();
    QFile::remove(path);

    constexpr int threadCount = 8;
    constexpr int linesPerThread = 400;
    // Long lines make a torn write far more likely if writes could overlap.
    const QString padding(300, QLatin1Char('x'));
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t, &padding] {
            for (int i = 0; i < linesPerThread; ++i)
                Log::info(QStringLiteral("thread %1 line %2 %3").arg(t).arg(i).arg(padding));
        });
    }
    for (auto& thread : threads)
        thread.join();
    Log::flush();

    const QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), threadCount * linesPerThread);
    std::vector<int> nextLine(threadCount, 0);
    const QRegularExpression message(QStringLiteral("^thread (\\d+) line (\\d+) x{300}$"));
    for (const QString& line : lines) {
        const auto stamped = linePattern.match(line);
        ASSERT_TRUE(stamped.hasMatch()) << line.left(80).toStdString();
        const auto parts = message.match(stamped.captured(2));
        ASSERT_TRUE(parts.hasMatch()) << line.left(80).toStdString();
        const int thread = parts.captured(1).toInt();
        EXPECT_EQ(parts.captured(2).toInt(), nextLine[thread]++) << "each thread's lines keep their order";
    }
}

TEST(Log, TheFileAndItsFolderArePrivate)
{
    QTemporaryDir dir;
    writeInOwnProcess({QStringLiteral("launch")},
                      {{QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state"))}});
    const QString path = dir.filePath(QStringLiteral("state/Quillmarsh/Quillmarsh.log"));
    ASSERT_EQ(linesOf(path).size(), 1);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("state/Quillmarsh"))), 0700u);
}
