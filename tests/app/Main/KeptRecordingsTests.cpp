// A dictation's recording is kept without holding up the main thread: it is encoded and written
// elsewhere, told once written, and one written after the user stopped keeping recordings goes.

#include "Core/AtomicFile.h"
#include "Core/MainThread.h"
#include "UserRecords.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <semaphore>

class KeptRecordingsTests : public QObject {
    Q_OBJECT

private slots:
    void aRecordingIsWrittenOffTheMainThreadAndToldOnceWritten()
    {
        QTemporaryDir folder;
        // A disk that takes each write only once the test lets it; one on the main thread goes
        // through at once, so that such a fault fails the test instead of hanging it.
        std::counting_semaphore<> permits(0);
        std::atomic<int> writes{0};
        std::atomic<bool> onMainThread{false};
        UserRecords records(folder.path(), QTimeZone::utc(),
                            [&](const QString& path, const QByteArray& bytes, int* error) {
                                onMainThread = onMainThread || isMainThread();
                                ++writes;
                                if (!isMainThread())
                                    permits.acquire();
                                return writeFileAtomically(path, bytes, error);
                            });
        records.model.setKeepClips(true);
        QSignalSpy written(&records.model, &AppModel::recordingsChanged);
        const QUuid kept = QUuid::createUuid();
        records.model.keepRecording(std::vector<float>(16000, 0.1f), kept);
        // The main thread goes on while the disk holds the write up.
        QTRY_COMPARE(writes.load(), 1);
        QVERIFY(!onMainThread);
        QVERIFY(written.isEmpty());
        permits.release();
        QTRY_COMPARE(written.size(), 1);
        QVERIFY(records.vault.has(kept));

        // Keeping turned off while a recording is written: it doesn't outstay the others.
        const QUuid late = QUuid::createUuid();
        records.model.keepRecording(std::vector<float>(16000, 0.1f), late);
        QTRY_COMPARE(writes.load(), 2);
        records.model.setKeepClips(false);
        permits.release();
        QTRY_COMPARE(written.size(), 2);
        QVERIFY(!records.vault.has(late));
        QVERIFY(!records.vault.holdsAny());
    }
};

QTEST_GUILESS_MAIN(KeptRecordingsTests)
#include "KeptRecordingsTests.moc"
