// The first run on the test desktop when the sound server starts after the application: the
// microphone row, at first "Not found", turns found within the promised second or so of the server
// coming, the microphone is named, and both go back when the server goes away.
#include "Main/Settings/DefaultMicrophone.h"
#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class OnboardingLateSoundServerTests : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QProcess server_;

    // A server of its own at the path this process was pointed at before it started, with one
    // silent input.
    void startServer()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder_.path());
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), folder_.filePath(QStringLiteral("runtime")));
        server_.setProcessEnvironment(environment);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm"), QStringLiteral("-L"),
                       QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket(),
                       QStringLiteral("-L"), QStringLiteral("module-null-source source_name=late_microphone")});
        QVERIFY2(server_.waitForStarted(), "pulseaudio must start");
    }
    QString socket() const { return folder_.filePath(QStringLiteral("native")); }

private slots:
    void initTestCase() { qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket())); }

    void cleanupTestCase()
    {
        server_.kill();
        server_.waitForFinished();
    }

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
        QCOMPARE(poll(), Microphone::Permission::restricted);
        QCOMPARE(microphone.name(), QStringLiteral("no microphone"));

        startServer();
        QTRY_COMPARE_WITH_TIMEOUT(poll(), Microphone::Permission::authorized, 5000);
        QTRY_VERIFY(microphone.name() != QStringLiteral("no microphone"));

        server_.kill();
        server_.waitForFinished();
        QTRY_COMPARE_WITH_TIMEOUT(poll(), Microphone::Permission::restricted, 5000);
        QTRY_COMPARE(microphone.name(), QStringLiteral("no microphone"));
    }
};

QTEST_GUILESS_MAIN(OnboardingLateSoundServerTests)
#include "OnboardingLateSoundServerTests.moc"
