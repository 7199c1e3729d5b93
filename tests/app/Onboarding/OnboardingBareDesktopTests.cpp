// The first run on the test desktop's X server with neither a microphone (the sound server this
// process is pointed at is not there) nor an accessibility bus (a private session bus that starts
// no services): nothing holds the user back, so it goes from the first step to the end.
#include "ManualClock.h"
#include "OnboardingFakes.h"
#include "OnboardingModel.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class OnboardingBareDesktopTests : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QProcess bus_;

private slots:
    void initTestCase()
    {
        qputenv("PULSE_SERVER", "unix:/nonexistent/quillmarsh/native");
        QFile config(folder_.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("<busconfig><type>session</type><listen>unix:tmpdir=" + QFile::encodeName(folder_.path())
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                       "eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        config.close();
        bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                   QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY2(bus_.waitForStarted() && bus_.waitForReadyRead(10000), "dbus-daemon must start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
        qunsetenv("AT_SPI_BUS_ADDRESS");
    }

    void cleanupTestCase()
    {
        bus_.kill();
        bus_.waitForFinished();
    }

    void theFirstRunGoesToTheEnd()
    {
        DesktopPermissions& desktop = DesktopPermissions::system();
        QCOMPARE(desktop.microphone(), Microphone::Permission::restricted);
        QTRY_COMPARE(desktop.accessibility(), DesktopPermissions::Switch::absent);
        FakePanels panels;
        ManualClock clock;
        OnboardingModel model(HotkeyMonitor::Key::rightOption, KeyboardOptions::system(), desktop, panels, clock);
        int finished = 0;
        model.onFinish = [&] { ++finished; };
        for (int press = 0; press < OnboardingModel::stepCount; ++press)
            model.next();
        QCOMPARE(model.step(), OnboardingModel::Step::done);
        QCOMPARE(finished, 1);
    }
};

QTEST_GUILESS_MAIN(OnboardingBareDesktopTests)
#include "OnboardingBareDesktopTests.moc"
