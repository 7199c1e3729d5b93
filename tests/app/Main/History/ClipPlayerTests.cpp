// The clip player against a real sound server (scripts/test starts one whose default output is a
// null sink that plays in real time).
#include "Clips/ClipVault.h"
#include "Main/Share/ClipPlayer.h"
#include "TestSoundServer.h"
#include "TestSupport.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

class ClipPlayerTests : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
            QSKIP("QUILLMARSH_NO_SOUND_SERVER is set");
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"),
                 "no sound server: run the tests through scripts/test (it starts one), or set "
                 "QUILLMARSH_NO_SOUND_SERVER=1");
    }

    void playsToTheEndAndRestarts()
    {
        ClipPlayer player;
        player.load(clip(0.8));
        QCOMPARE(player.duration(), 0.8);
        player.toggle();
        QVERIFY(player.playing());
        QVERIFY(waitUntil([&] { return player.fraction() > 0.1 && player.fraction() < 1.0; }));
        QVERIFY(waitUntil([&] { return !player.playing(); }, std::chrono::seconds(5)));
        QCOMPARE(player.fraction(), 1.0);

        player.toggle();
        QVERIFY(waitUntil([&] { return player.fraction() < 0.9; }));
        player.stop();
        QVERIFY(!player.playing());
        QCOMPARE(player.fraction(), 0.0);
        QCOMPARE(player.duration(), 0.8);
    }

    void pauseKeepsThePosition()
    {
        ClipPlayer player;
        player.load(clip(2.0));
        player.toggle();
        QVERIFY(waitUntil([&] { return player.fraction() >= 0.2; }));
        player.toggle();
        QVERIFY(!player.playing());
        const double paused = player.fraction();
        player.toggle();
        QVERIFY(waitUntil([&] { return player.fraction() > paused; }));
        QVERIFY(player.fraction() >= paused);
        player.stop();
    }

    void unreadableFileHasNothingToPlay()
    {
        ClipPlayer player;
        player.stop();
        player.load(folder_.filePath(QStringLiteral("missing.flac")));
        player.toggle();
        QVERIFY(!player.playing());
        QCOMPARE(player.duration(), 0.0);
        QCOMPARE(player.fraction(), 0.0);
    }

    void aServerThatNeverGetsReadyEndsThePlayWithItsLine()
    {
        // Takes the connection and never answers.
        QLocalServer silent;
        QVERIFY(silent.listen(folder_.filePath(QStringLiteral("silent"))));
        QList<QLocalSocket*> held;
        connect(&silent, &QLocalServer::newConnection, this, [&] { held.append(silent.nextPendingConnection()); });
        const ScopedEnvironment server("PULSE_SERVER", QStringLiteral("unix:") + silent.fullServerName());
        ClipPlayer player;
        player.load(clip(0.8));
        player.toggle();
        QVERIFY(player.playing());
        QVERIFY(waitUntil([&] { return !player.playing(); }, std::chrono::seconds(10)));
        QVERIFY(!held.isEmpty());
        QCOMPARE(player.problem(), QStringLiteral("The sound couldn’t be played."));
        QCOMPARE(player.fraction(), 0.0);
    }

    void aServerThatStopsAnsweringWhilePlayingEndsThePlayWithItsLine()
    {
        TestSoundServer::PrivateServer server;
        QVERIFY(server.start());
        QVERIFY(waitUntil([&] { return server.answers(); }));
        const ScopedEnvironment address("PULSE_SERVER", QString::fromUtf8(server.address()));
        ClipPlayer player;
        player.load(clip(30));
        player.toggle();
        QVERIFY(waitUntil([&] { return player.fraction() > 0; }));
        server.freeze();
        QVERIFY(waitUntil([&] { return !player.playing(); }));
        QCOMPARE(player.problem(), QStringLiteral("The sound couldn’t be played."));
        QVERIFY(player.fraction() > 0 && player.fraction() < 1);
    }

private:
    QString clip(double seconds)
    {
        const QUuid id = QUuid::createUuid();
        return ClipVault(folder_.path()).save(TestAudio::noise(seconds), id);
    }

    QTemporaryDir folder_;
};

QTEST_MAIN(ClipPlayerTests)
#include "ClipPlayerTests.moc"
