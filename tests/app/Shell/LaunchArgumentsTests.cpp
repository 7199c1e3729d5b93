// What a start's arguments ask of the application, at the first start and handed over later.
#include "Shell/LaunchArguments.h"

#include <QTest>

class LaunchArgumentsTests : public QObject {
    Q_OBJECT

private slots:
    void eachStartAsksForWhatItsArgumentsSay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("signInReturn");
        QTest::addColumn<bool>("atLogin");
        QTest::addColumn<bool>("mainAtStartWithTray");
        QTest::addColumn<bool>("mainAtStartWithoutTray");
        QTest::addColumn<bool>("mainLater");

        const QString callback = QStringLiteral("quillmarsh://auth-callback?code=abc");
        const QString program = QStringLiteral("/usr/bin/quillmarsh");
        QTest::newRow("by hand") << QStringList{program} << QString() << false << true << true << true;
        QTest::newRow("at login") << QStringList{program, QStringLiteral("--at-login")} << QString() << true << false
                                  << true << false;
        QTest::newRow("a sign-in return")
            << QStringList{program, callback} << callback << false << true << true << false;
        QTest::newRow("the program's own name is no return")
            << QStringList{callback} << QString() << false << true << true << true;
        QTest::newRow("another link") << QStringList{program, QStringLiteral("quillmarsh://elsewhere")} << QString()
                                      << false << true << true << true;
        QTest::newRow("the first return counts") << QStringList{program, callback, callback + QStringLiteral("2")}
                                                 << callback << false << true << true << false;
    }

    void eachStartAsksForWhatItsArgumentsSay()
    {
        QFETCH(QStringList, arguments);
        const LaunchArguments launch = LaunchArguments::read(arguments);
        QFETCH(QString, signInReturn);
        QCOMPARE(launch.signInReturn.value_or(QUrl()).toString(), signInReturn);
        QFETCH(bool, atLogin);
        QCOMPARE(launch.atLogin, atLogin);
        QFETCH(bool, mainAtStartWithTray);
        QCOMPARE(launch.opensMainWindowAtStart(true), mainAtStartWithTray);
        QFETCH(bool, mainAtStartWithoutTray);
        QCOMPARE(launch.opensMainWindowAtStart(false), mainAtStartWithoutTray);
        QFETCH(bool, mainLater);
        QCOMPARE(launch.asksForMainWindowLater(), mainLater);
    }
};

QTEST_GUILESS_MAIN(LaunchArgumentsTests)
#include "LaunchArgumentsTests.moc"
