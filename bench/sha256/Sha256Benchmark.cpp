// Hashes one 500 MB file alternately with our streaming SHA-256 and with sha256sum, and prints
// ratio=<sha256sum time / our time> (best of three each).

#include "Models/ModelStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr qint64 fileSize = 500LL * 1024 * 1024;
constexpr qint64 chunkSize = 8 * 1024 * 1024;
constexpr int rounds = 3;

bool writeData(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    quint32 state = 777;
    for (qint64 written = 0; written < fileSize; written += chunkSize) {
        for (qint64 i = 0; i < chunkSize; i += 4) {
            state = state * 1664525u + 1013904223u;
            memcpy(chunk.data() + i, &state, 4);
        }
        if (file.write(chunk) != chunkSize)
            return false;
    }
    return true;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/model.data");
    if (!writeData(path)) {
        std::fprintf(stderr, "can't write the data file\n");
        return 1;
    }

    double bestOurs = 1e9;
    double bestTheirs = 1e9;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        const QString ours = ModelStore::sha256(path);
        bestOurs = std::min(bestOurs, secondsSince(start));

        QProcess process;
        start = std::chrono::steady_clock::now();
        process.start(QStringLiteral("sha256sum"), {path});
        process.waitForFinished(-1);
        bestTheirs = std::min(bestTheirs, secondsSince(start));
        const QString theirs = QString::fromLatin1(process.readAllStandardOutput()).section(u' ', 0, 0);
        if (process.exitCode() != 0 || theirs != ours) {
            std::fprintf(stderr, "digests differ: %s vs %s\n", qPrintable(ours), qPrintable(theirs));
            return 1;
        }
    }
    std::printf("500 MB: ours %.3f s, sha256sum %.3f s\n", bestOurs, bestTheirs);
    std::printf("ratio=%.2f\n", bestTheirs / bestOurs);
    return 0;
}
