// The application's end: whatever another program's lock held back is kept for the next start,
// and what the last saves report is acted on before the application's parts are gone.
#include "AppFixture.h"
#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "Shell/AppDelegate.h"
#include "StoreSaves.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

class AppQuitTests : public QObject {
    Q_OBJECT

private slots:
    // The last dictation, met by a held lock at quit: its entry is saved by the next start, and
    // its recording is kept with it.
    void aQuitBehindAHeldLockKeepsTheEntryAndItsRecording()
    {
        QTemporaryDir records;
        const QString historyPath = records.filePath(QStringLiteral("history.json"));
        const QString clips = records.filePath(QStringLiteral("clips"));
        auto app = std::make_unique<AppFixture>([&](Settings& settings) {
            qputenv("QUILLMARSH_HISTORY", historyPath.toLocal8Bit());
            qputenv("QUILLMARSH_CLIPS", clips.toLocal8Bit());
            settings.setValue(QStringLiteral("keepClips"), true);
        });
        AppModel& model = app->delegate().model();
        const HistoryEntry entry(QUuid::createUuid(), QDateTime::currentDateTimeUtc(), QStringLiteral("last words"));
        HeldLock lock(historyPath, 600);
        // As a dictation keeps its recording: once its entry is saved.
        model.history()->add(entry,
                             [&model, id = entry.id] { model.keepRecording(std::vector<float>(16000, 0.1f), id); });
        app.reset();
        qunsetenv("QUILLMARSH_HISTORY");
        qunsetenv("QUILLMARSH_CLIPS");

        QVERIFY(ClipVault(clips).has(entry.id));
        lock.release();
        HistoryStore next(historyPath);
        QTRY_COMPARE(next.entries().size(), 1);
        QCOMPARE(next.entries().first().id, entry.id);
    }
};

QTEST_MAIN(AppQuitTests)
#include "AppQuitTests.moc"
