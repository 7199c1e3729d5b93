// A store's writer killed at any moment leaves its file either as it was or as it became,
// never half written; the history file, and any temporary file of it, is private throughout.

#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Snippets/SnippetStore.h"
#include "TestFiles.h"
#include "Vocabulary/VocabularyStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool decodes(const QString& kind, const QByteArray& bytes)
{
    if (kind == QLatin1String("history"))
        return HistoryStore::decodeFile(bytes).has_value();
    if (kind == QLatin1String("snippets"))
        return SnippetStore::decodeFile(bytes).has_value();
    if (kind == QLatin1String("vocabulary"))
        return VocabularyStore::decodeFile(bytes).has_value();
    return UsageStats::decodeFile(bytes).has_value();
}

// Runs the writer until it has reported the given number of saves, then kills it with SIGKILL,
// which lands wherever the writer happens to be in its next save.
void killWriterAfter(const QString& kind, const QString& path, int saves)
{
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(STORE_WRITER), {kind, path});
    ASSERT_TRUE(writer.waitForStarted());
    int reported = 0;
    while (reported < saves) {
        ASSERT_TRUE(writer.waitForReadyRead(30'000)) << "the writer stopped saving";
        while (writer.canReadLine()) {
            writer.readLine();
            ++reported;
        }
    }
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(30'000));
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
}

// Runs the writer with a file-size limit, so that it dies in the middle of writing its next save.
void killWriterWhileWriting(const QString& kind, const QString& path, qint64 limit)
{
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The limit counts for every regular file the writer writes; its log goes elsewhere.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMARSH_LOG"), QStringLiteral("/dev/null"));
    writer.setProcessEnvironment(environment);
    writer.start(QStringLiteral(STORE_WRITER), {kind, path, QString::number(limit)});
    ASSERT_TRUE(writer.waitForFinished(30'000));
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(writer.readAllStandardOutput(), QByteArray()) << "it died in its first save";
}

class StoreCrashTest : public testing::TestWithParam<const char*> {};

}

TEST_P(StoreCrashTest, AKilledWriterLeavesAWholeFile)
{
    const QString kind = QString::fromLatin1(GetParam());
    QTemporaryDir dir;
    const QString path = dir.filePath(kind + QStringLiteral(".json"));
    for (int round = 0; round < 3; ++round) {
        killWriterAfter(kind, path, QRandomGenerator::global()->bounded(1, 20));
        const QByteArray bytes = readFile(path);
        ASSERT_FALSE(bytes.isEmpty()) << "round " << round;
        EXPECT_TRUE(decodes(kind, bytes)) << "round " << round << ": " << bytes.left(200).constData();
    }

    const QByteArray before = readFile(path);
    killWriterWhileWriting(kind, path, before.size() / 2);
    EXPECT_TRUE(readFile(path) == before) << "the half-written save must leave the old file in place";
    EXPECT_FALSE(QFile::exists(dir.filePath(kind + QStringLiteral(".unreadable.json"))));

    if (kind == QLatin1String("history")) {
        // Whatever the kill left behind, a temporary file included, only the user can read.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
            EXPECT_EQ(modeOf(dir.filePath(name)), 0600u) << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreCrashTest, testing::Values("history", "snippets", "vocabulary", "stats"));
