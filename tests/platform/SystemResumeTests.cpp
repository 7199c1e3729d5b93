// The wake from sleep as logind tells it, on a private bus standing in for the system bus: with
// logind there, without it, and without any bus. Where nothing can be told, the log says so once.
#include "LogLines.h"
#include "SystemResume.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class SystemResumeTests : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QProcess bus_;
    QString address_;

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", QFile::encodeName(folder_.filePath(QStringLiteral("test.log"))));
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY2(bus_.waitForStarted() && bus_.waitForReadyRead(10000), "dbus-daemon must start");
        address_ = QString::fromUtf8(bus_.readLine().trimmed());
    }

    void cleanupTestCase()
    {
        bus_.kill();
        bus_.waitForFinished();
    }

    void whatCanBeToldIsToldAndWhatCantIsLoggedOnce_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("logindThere");
        QTest::addColumn<QString>("logged");
        QTest::newRow("no bus") << false << false << QStringLiteral("no system bus: a wake from sleep goes unnoticed");
        QTest::newRow("no logind") << true << false
                                   << QStringLiteral(
                                          "logind isn't on the system bus: a wake from sleep goes unnoticed");
        QTest::newRow("logind") << true << true << QString();
    }
    void whatCanBeToldIsToldAndWhatCantIsLoggedOnce()
    {
        QFETCH(bool, connected);
        QFETCH(bool, logindThere);
        QFETCH(QString, logged);
        const LogLines log;
        QDBusConnection logind = QDBusConnection::connectToBus(address_, QStringLiteral("logind"));
        if (logindThere)
            QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection listener = connected ? QDBusConnection::connectToBus(address_, QStringLiteral("listener"))
                                             : QDBusConnection(QStringLiteral("nowhere"));
        auto resume = std::make_unique<SystemResume>(listener);
        QSignalSpy resumed(resume.get(), &SystemResume::resumed);

        for (const bool sleeping : {true, false}) {
            QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("PrepareForSleep"));
            signal << sleeping;
            QVERIFY(logind.send(signal));
        }
        if (logindThere)
            QTRY_COMPARE(resumed.count(), 1);
        // A round trip on the listener's connection: whatever it asked has been answered, and
        // the answer handled.
        if (connected)
            listener.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1"));
        QCoreApplication::processEvents();
        QTRY_COMPARE(log.lines().filter(QStringLiteral("wake from sleep")),
                     logged.isEmpty() ? QStringList() : QStringList{logged});
        QCOMPARE(resumed.count(), logindThere ? 1 : 0);

        resume.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
        if (logindThere)
            logind.unregisterService(QStringLiteral("org.freedesktop.login1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    }
};

QTEST_MAIN(SystemResumeTests)
#include "SystemResumeTests.moc"
