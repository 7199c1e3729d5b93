// A dictation's recording is kept without holding up the main thread: it is encoded and written
// elsewhere, told once written, and one written after the user stopped keeping recordings goes.

#include "Core/AtomicFile.h"
#include "Core/MainThread.h"
#include "UserRecords.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <condition_variable>
#include <mutex>

namespace {

// A disk that takes each write only once the test lets it; a write on the main thread goes through
// at once, so that such a fault fails the test instead of hanging it.
class SlowDisk {
public:
    ClipVault::Writer writer()
    {
        return [this](const QString& path, const QByteArray& bytes, int* error) {
            std::unique_lock lock(mutex_);
            ++writes_;
            onMainThread_ = onMainThread_ || isMainThread();
            if (!isMainThread()) {
                wake_.wait(lock, [this] { return permits_ > 0; });
                --permits_;
            }
            lock.unlock();
            return writeFileAtomically(path, bytes, error);
        };
    }
    void allowOne()
    {
        {
            const std::lock_guard lock(mutex_);
            ++permits_;
        }
        wake_.notify_all();
    }
    int writes()
    {
        const std::lock_guard lock(mutex_);
        return writes_;
    }
    bool onMainThread()
    {
        const std::lock_guard lock(mutex_);
        return onMainThread_;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    int permits_ = 0;
    int writes_ = 0;
    bool onMainThread_ = false;
};

}

class KeptRecordingsTests : public QObject {
    Q_OBJECT

private slots:
    void aRecordingIsWrittenOffTheMainThreadAndToldOnceWritten()
    {
        QTemporaryDir folder;
        SlowDisk disk;
        UserRecords records(folder.path(), QTimeZone::utc(), disk.writer());
        records.model.setKeepClips(true);
        QSignalSpy written(&records.model, &AppModel::recordingsChanged);
        const QUuid kept = QUuid::createUuid();
        records.model.keepRecording(std::vector<float>(16000, 0.1f), kept);
        // The main thread goes on while the disk holds the write up.
        QTRY_COMPARE(disk.writes(), 1);
        QVERIFY(!disk.onMainThread());
        QVERIFY(written.isEmpty());
        disk.allowOne();
        QTRY_COMPARE(written.size(), 1);
        QVERIFY(records.vault.has(kept));

        // Keeping turned off while a recording is written: it doesn't outstay the others.
        const QUuid late = QUuid::createUuid();
        records.model.keepRecording(std::vector<float>(16000, 0.1f), late);
        QTRY_COMPARE(disk.writes(), 2);
        records.model.setKeepClips(false);
        disk.allowOne();
        QTRY_COMPARE(written.size(), 2);
        QVERIFY(!records.vault.has(late));
        QVERIFY(!records.vault.holdsAny());
    }
};

QTEST_GUILESS_MAIN(KeptRecordingsTests)
#include "KeptRecordingsTests.moc"
