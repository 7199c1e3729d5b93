// The desktop's real answers: a private X server (which offers XTest) and a private session bus
// that starts the accessibility bus on demand, as a desktop session does.
#include "DesktopPermissions.h"

#include <QDBusConnection>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

class DesktopPermissionsTests : public QObject {
    Q_OBJECT

    QProcess display_;
    QProcess bus_;

    // Starts the program and returns the first line it prints (the display number or bus address).
    static QByteArray startAndRead(QProcess& process, const QString& program, const QStringList& arguments)
    {
        process.start(program, arguments);
        if (!process.waitForStarted() || !process.waitForReadyRead(10000))
            return {};
        return process.readLine().trimmed();
    }

private slots:
    void initTestCase()
    {
        // The switch starts from its built-in default, not from this machine's desktop settings.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("GSETTINGS_BACKEND", "memory");
        bus_.setProcessEnvironment(environment);
        const QByteArray number = startAndRead(display_, "Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
        const QByteArray address = startAndRead(bus_, "dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(!number.isEmpty() && !address.isEmpty(), "Xvfb and dbus-daemon must start");
        qputenv("DISPLAY", ":" + number);
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qunsetenv("AT_SPI_BUS_ADDRESS");
    }

    void cleanupTestCase()
    {
        bus_.kill();
        display_.kill();
        bus_.waitForFinished();
        display_.waitForFinished();
    }

    void typingNeedsXTestAndTheSwitchIsTurnedOn()
    {
        DesktopPermissions& permissions = DesktopPermissions::system();
        QVERIFY(permissions.canType());
        QTRY_COMPARE(permissions.accessibility(), DesktopPermissions::Switch::off);
        permissions.promptAccessibility();
        QCOMPARE(permissions.accessibility(), DesktopPermissions::Switch::on);
        const QDBusReply<QDBusVariant> enabled = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get")
            << "org.a11y.Status"
            << "IsEnabled");
        QVERIFY(enabled.isValid() && enabled.value().variant().toBool());
    }
};

QTEST_GUILESS_MAIN(DesktopPermissionsTests)
#include "DesktopPermissionsTests.moc"
