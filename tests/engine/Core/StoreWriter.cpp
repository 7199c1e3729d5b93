// Saves one store's file over and over, printing a line after every save (once the store's queue
// has written it), until it is killed.
// The crash tests kill it at an arbitrary moment and check what is left on disk. With a byte
// limit, the system kills it (SIGXFSZ) as soon as a write would pass that offset of a file, in
// the middle of writing a file larger than the limit. With "together", it reads its file, then
// says "ready" and waits for a line on its input before it saves, so that two writers can start from the same file.
// With "untilRemoval", the system kills it at its first removal of a file: for a store taking in
// the changes an earlier run kept, between writing its file and letting the kept file go.
// Usage: store-writer history|snippets|vocabulary|stats FILE [LIMIT|together|untilRemoval]

#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Snippets/SnippetStore.h"
#include "Vocabulary/VocabularyStore.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>

namespace {

bool together = false;

// The store has read its file: says so, and the first save waits for the word to go.
void readyToSave()
{
    if (!together)
        return;
    std::puts("ready");
    std::fflush(stdout);
    char line[8];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(2);
}

// From here on, a call that removes a file kills the process.
bool dieAtRemoval()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_unlink, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_unlinkat, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
    };
    const sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

template <typename Store>
void saved(const Store& store)
{
    while (store.unsavedChanges() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::puts("saved");
    std::fflush(stdout);
}

[[noreturn]] void writeHistory(const QString& path)
{
    HistoryStore store(path);
    readyToSave();
    const QString text = QStringLiteral("\u0633\u0644\u0627\u0645 hello ").repeated(40);
    for (qint64 i = 0;; ++i) {
        store.add(HistoryEntry(QUuid::createUuid(), QDateTime::fromSecsSinceEpoch(1'780'000'000 + i), text));
        saved(store);
    }
}

[[noreturn]] void writeSnippets(const QString& path)
{
    SnippetStore store(path);
    readyToSave();
    const QString text = QStringLiteral("Best regards, \u0633\u0627\u0645\n").repeated(200);
    for (int i = 0;; ++i) {
        if (store.entries().size() >= SnippetStore::maxEntries)
            store.remove(store.entries().front().id);
        store.add(QStringLiteral("phrase ") + QUuid::createUuid().toString(QUuid::WithoutBraces), text, i % 2 == 0);
        saved(store);
    }
}

[[noreturn]] void writeVocabulary(const QString& path)
{
    VocabularyStore store(path);
    readyToSave();
    for (;;) {
        if (store.entries().size() >= VocabularyStore::maxEntries)
            store.remove(store.entries().front().id);
        store.add(QStringLiteral("Term \u0648\u0627\u0698\u0647 ") + QUuid::createUuid().toString(QUuid::WithoutBraces),
                  VocabularyEntry::Source::you);
        saved(store);
    }
}

[[noreturn]] void writeStats(const QString& path)
{
    UsageStats stats(path, QTimeZone::utc());
    readyToSave();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1'780'000'000, Qt::UTC);
    for (qint64 i = 0;; ++i) {
        stats.record(i % 50 + 1, 2.5, start.addDays(i % 90));
        saved(stats);
    }
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3 && arguments.size() != 4)
        return 2;
    together = arguments.size() == 4 && arguments[3] == QLatin1String("together");
    const bool untilRemoval = arguments.size() == 4 && arguments[3] == QLatin1String("untilRemoval");
    if (untilRemoval && !dieAtRemoval())
        return 2;
    if (arguments.size() == 4 && !together && !untilRemoval) {
        const rlim_t limit = arguments[3].toULongLong();
        const rlimit noCore{0, 0};
        const rlimit fileSize{limit, limit};
        if (::setrlimit(RLIMIT_CORE, &noCore) != 0 || ::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            return 2;
    }
    const QString& kind = arguments[1];
    const QString& path = arguments[2];
    if (kind == QLatin1String("history"))
        writeHistory(path);
    if (kind == QLatin1String("snippets"))
        writeSnippets(path);
    if (kind == QLatin1String("vocabulary"))
        writeVocabulary(path);
    if (kind == QLatin1String("stats"))
        writeStats(path);
    return 2;
}
