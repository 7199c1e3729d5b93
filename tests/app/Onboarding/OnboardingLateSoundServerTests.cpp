// The first run on the test desktop when the sound server starts after the application: the
// microphone row, at first "Not found", turns found within the promised second or so of the server
// coming, the microphone is named, a dictation records and a clip plays, and all go back when the
// server goes away; a clip playing then stops with a line.
#include "Clips/ClipVault.h"
#include "Main/Settings/DefaultMicrophone.h"
#include "Main/Share/ClipPlayer.h"
#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"
#include "TestSoundServer.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>

namespace {

const QString cantPlay = QStringLiteral("The sound couldn’t be played.");

// Whether a dictation's microphone starts and hears something.
bool records()
{
    std::atomic<size_t> heard{0};
    Microphone microphone;
    microphone.onAudio = [&](const std::vector<float>& samples, float) { heard += samples.size(); };
    try {
        microphone.start();
    } catch (const AudioInputError&) {
        return false;
    }
    return waitUntil([&] { return heard > 0; });
}

}

class OnboardingLateSoundServerTests : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    TestSoundServer::PrivateServer server_;

    void startServer() { QVERIFY2(server_.start(), "pulseaudio must start"); }

private slots:
    void initTestCase() { qputenv("PULSE_SERVER", server_.address()); }

    void theMicrophoneFollowsTheSoundServer()
    {
        FakePanels panels;
        ManualClock clock;
        OnboardingModel model(HotkeyMonitor::Key::rightOption, KeyboardOptions::system(), DesktopPermissions::system(),
                              panels, clock);
        model.startPolling();
        const auto poll = [&] {
            clock.advance(std::chrono::seconds(1));
            return model.mic();
        };
        DefaultMicrophone microphone;
        ClipPlayer player;
        player.load(ClipVault(folder_.path()).save(TestAudio::noise(0.4), QUuid::createUuid()));
        QCOMPARE(poll(), Microphone::Permission::restricted);
        QCOMPARE(microphone.name(), QStringLiteral("no microphone"));
        QVERIFY(!records());
        player.toggle();
        QTRY_VERIFY(!player.playing());
        QCOMPARE(player.problem(), cantPlay);
        QCOMPARE(player.fraction(), 0.0);

        startServer();
        QTRY_COMPARE_WITH_TIMEOUT(poll(), Microphone::Permission::authorized, 5000);
        QTRY_VERIFY(microphone.name() != QStringLiteral("no microphone"));
        QVERIFY(records());
        player.toggle();
        QCOMPARE(player.problem(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!player.playing(), 5000);
        QCOMPARE(player.fraction(), 1.0);
        QCOMPARE(player.problem(), QString());

        // A clip playing when the server goes away ends there.
        player.load(ClipVault(folder_.path()).save(TestAudio::noise(30), QUuid::createUuid()));
        player.toggle();
        QTRY_VERIFY(player.fraction() > 0);
        server_.stop();
        QTRY_VERIFY(!player.playing());
        QCOMPARE(player.problem(), cantPlay);
        QVERIFY(player.fraction() > 0 && player.fraction() < 1);
        QTRY_COMPARE_WITH_TIMEOUT(poll(), Microphone::Permission::restricted, 5000);
        QTRY_COMPARE(microphone.name(), QStringLiteral("no microphone"));
        QVERIFY(!records());
    }
};

QTEST_GUILESS_MAIN(OnboardingLateSoundServerTests)
#include "OnboardingLateSoundServerTests.moc"
