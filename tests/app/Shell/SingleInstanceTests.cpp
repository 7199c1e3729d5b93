// One instance per user and display: a later start hands its arguments to the first and is told
// to exit, or says why it can't; the socket lives where only the user can reach it.
#include "Shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

class SingleInstanceTests : public QObject {
    Q_OBJECT

    static QString uniqueName()
    {
        return QStringLiteral("quillmarsh-test-") + QUuid::createUuid().toString(QUuid::Id128);
    }

    static bool placeFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }

    // A second start runs in its own thread, as a second process would, while the first one's
    // event loop serves it.
    static SingleInstance::Claim secondStart(const QString& name, const QStringList& arguments,
                                             const QString& busName = QString())
    {
        SingleInstance::Claim claim = SingleInstance::Claim::first;
        QThread* thread = QThread::create([&] { claim = SingleInstance(name, busName).claim(arguments); });
        thread->start();
        while (!thread->wait(10))
            QCoreApplication::processEvents();
        delete thread;
        return claim;
    }

private slots:
    void cleanup()
    {
        qunsetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_STATE_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }

    void laterStartHandsItsArgumentsOver()
    {
        const QString name = uniqueName();
        SingleInstance first(name);
        QCOMPARE(first.claim({QStringLiteral("quillmarsh")}), SingleInstance::Claim::first);
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);

        const QStringList arguments{QStringLiteral("quillmarsh"),
                                    QStringLiteral("quillmarsh://auth-callback?code=ab c")};
        QCOMPARE(secondStart(name, arguments), SingleInstance::Claim::handedOver);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), arguments);
    }

    void socketLeftByACrashIsTakenOver()
    {
        const QString name = uniqueName();
        QFile leftOver(QDir::temp().filePath(name));
        QVERIFY(leftOver.open(QIODevice::WriteOnly));
        leftOver.close();

        SingleInstance first(name);
        QCOMPARE(first.claim({}), SingleInstance::Claim::first);
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);
        QCOMPARE(secondStart(name, {QStringLiteral("quillmarsh")}), SingleInstance::Claim::handedOver);
        QTRY_COMPARE(received.size(), 1);
    }

    // Two starts at once: one is the instance, the other hands over to it.
    void startsAtOnceMakeOneInstance()
    {
        const QString name = uniqueName();
        SingleInstance::Claim claims[2];
        std::unique_ptr<SingleInstance> instances[2];
        QThread* starts[2];
        for (int i = 0; i < 2; ++i) {
            starts[i] = QThread::create([&, i] {
                instances[i] = std::make_unique<SingleInstance>(name);
                claims[i] = instances[i]->claim({});
                // The one that listens is served by the main thread's events from now on.
                instances[i]->moveToThread(QCoreApplication::instance()->thread());
            });
        }
        for (QThread* start : starts)
            start->start();
        for (QThread* start : starts) {
            while (!start->wait(10))
                QCoreApplication::processEvents();
            delete start;
        }
        QCOMPARE(std::count(std::begin(claims), std::end(claims), SingleInstance::Claim::first), 1);
        QCOMPARE(std::count(std::begin(claims), std::end(claims), SingleInstance::Claim::handedOver), 1);
    }

    // Whatever takes the socket's name, a later start never runs beside the first.
    void aSquattedSocketNameMakesALaterStartSayWhy()
    {
        const QString name = QDir::temp().filePath(uniqueName());
        QVERIFY(QDir().mkdir(name));  // nothing can listen there, nor remove it
        SingleInstance first(name);
        QCOMPARE(first.claim({}), SingleInstance::Claim::first);
        SingleInstance later(name);
        QCOMPARE(later.claim({}), SingleInstance::Claim::refused);
        QVERIFY(later.refusal().contains(QStringLiteral("already runs on this display")));
        QDir().rmdir(name);
        QFile::remove(name + QStringLiteral(".lock"));
    }

    // Without a folder for the socket, a name on the session bus keeps one instance per display: a
    // later start hands its arguments over there, also once an earlier first instance has ended.
    void withNoFolderTheSessionBusKeepsOneInstance()
    {
        const QString busName =
            QStringLiteral("org.quillmarsh.Test.display_") + QUuid::createUuid().toString(QUuid::Id128);
        const QStringList arguments{QStringLiteral("quillmarsh"), QStringLiteral("quillmarsh://auth-callback?code=x")};
        {
            SingleInstance ended(QString(), busName);
            QCOMPARE(ended.claim({}), SingleInstance::Claim::first);
        }
        SingleInstance first(QString(), busName);
        QCOMPARE(first.claim({}), SingleInstance::Claim::first);
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);
        QCOMPARE(secondStart(QString(), arguments, busName), SingleInstance::Claim::handedOver);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), arguments);
    }

    // With no folder of its own anywhere and no bus, the application still runs, and says it runs
    // alone.
    void withNoFolderOfItsOwnTheStartRunsAlone()
    {
        QTemporaryDir shared, stateHome, configHome;
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        qputenv("XDG_RUNTIME_DIR", QByteArray());
        qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        const QString fallback = shared.filePath(QStringLiteral("quillmarsh-runtime-%1").arg(geteuid()));
        QVERIFY(QDir().mkdir(fallback) && chmod(QFile::encodeName(fallback), 0777) == 0);
        QVERIFY(placeFile(stateHome.filePath("Quillmarsh")) && placeFile(configHome.filePath("Quillmarsh")));

        QCOMPARE(SingleInstance::defaultName(), QString());
        SingleInstance alone(SingleInstance::defaultName(), QString());
        QCOMPARE(alone.claim({}), SingleInstance::Claim::alone);
        QVERIFY2(alone.refusal().startsWith(QStringLiteral("Quillmarsh runs without checking")),
                 qPrintable(alone.refusal()));
    }

    void socketIsPrivateToTheUserAndTheDisplay_data()
    {
        QTest::addColumn<QString>("runtime");  // "private", "open" (to others) or "none"
        QTest::addColumn<bool>("fallbackTaken");  // someone else made our folder's name first
        QTest::addColumn<QString>("folder");  // where the socket goes: "runtime", "fallback", "state" or "config"
        QTest::newRow("runtime folder") << "private" << true << "runtime";
        QTest::newRow("runtime folder open to others") << "open" << false << "fallback";
        QTest::newRow("no runtime folder") << "none" << false << "fallback";
        QTest::newRow("no runtime folder, ours taken") << "none" << true << "state";
        QTest::newRow("no runtime folder, ours taken, no state folder") << "none" << true << "config";
    }
    void socketIsPrivateToTheUserAndTheDisplay()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, fallbackTaken);
        QFETCH(QString, folder);
        QTemporaryDir shared, runtimeFolder, stateHome, configHome;  // all made with mode 0700
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        // A file where the state folder should be: nothing can be made below it.
        QVERIFY(folder != QLatin1String("config") || placeFile(stateHome.filePath("Quillmarsh")));
        QVERIFY(runtime != QLatin1String("open") || chmod(QFile::encodeName(runtimeFolder.path()), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR",
                runtime == QLatin1String("none") ? QByteArray() : QFile::encodeName(runtimeFolder.path()));
        qputenv("DISPLAY", ":7.0");
        const QString fallback = shared.filePath(QStringLiteral("quillmarsh-runtime-%1").arg(geteuid()));
        // What another user can do in the shared folder: take our folder's name, open to all, and
        // listen on the name every user's socket once had.
        QVERIFY(!fallbackTaken || (QDir().mkdir(fallback) && chmod(QFile::encodeName(fallback), 0777) == 0));
        QLocalServer squatter;
        QVERIFY(squatter.listen(shared.filePath(QStringLiteral("quillmarsh-%1").arg(getuid()))));

        const QString name = SingleInstance::defaultName();
        const QString expectedFolder = folder == QLatin1String("runtime")    ? runtimeFolder.path()
                                       : folder == QLatin1String("fallback") ? fallback
                                       : folder == QLatin1String("state")    ? stateHome.filePath("Quillmarsh/instance")
                                                                          : configHome.filePath("Quillmarsh/instance");
        QCOMPARE(name, expectedFolder + QStringLiteral("/quillmarsh-:7"));
        QFileInfo made(expectedFolder);
        QCOMPARE(made.permissions()
                     & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
                         | QFile::ExeUser),
                 QFile::Permissions());
        qputenv("DISPLAY", ":8");
        QVERIFY(SingleInstance::defaultName() != name);  // another display, another instance
        qputenv("DISPLAY", ":7");

        SingleInstance first(SingleInstance::defaultName());
        QCOMPARE(first.claim({QStringLiteral("quillmarsh")}), SingleInstance::Claim::first);
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);
        // A second start on the same display finds the first, wherever its socket had to go.
        const QStringList arguments{QStringLiteral("quillmarsh"),
                                    QStringLiteral("quillmarsh://auth-callback?code=secret")};
        QCOMPARE(secondStart(SingleInstance::defaultName(), arguments), SingleInstance::Claim::handedOver);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), arguments);
        QVERIFY(!squatter.hasPendingConnections());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTests)
#include "SingleInstanceTests.moc"
