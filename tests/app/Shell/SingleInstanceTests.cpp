// One instance per user and display: a later start hands its arguments to the first and is told
// to exit; the socket lives where only the user can reach it.
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <sys/stat.h>
#include <unistd.h>

class SingleInstanceTests : public QObject {
    Q_OBJECT

    static QString uniqueName()
    {
        return QStringLiteral("quillmarsh-test-") + QUuid::createUuid().toString(QUuid::Id128);
    }

    // A second start runs in its own thread, as a second process would, while the first one's
    // event loop serves it.
    static bool secondStart(const QString& name, const QStringList& arguments)
    {
        bool claimed = true;
        QThread* thread = QThread::create([&] { claimed = SingleInstance(name).claim(arguments); });
        thread->start();
        while (!thread->wait(10))
            QCoreApplication::processEvents();
        delete thread;
        return claimed;
    }

private slots:
    void cleanup()
    {
        qunsetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void laterStartHandsItsArgumentsOver()
    {
        const QString name = uniqueName();
        SingleInstance first(name);
        QVERIFY(first.claim({QStringLiteral("quillmarsh")}));
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);

        const QStringList arguments{QStringLiteral("quillmarsh"),
                                    QStringLiteral("quillmarsh://auth-callback?code=ab c")};
        QVERIFY(!secondStart(name, arguments));
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
        QVERIFY(first.claim({}));
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);
        QVERIFY(!secondStart(name, {QStringLiteral("quillmarsh")}));
        QTRY_COMPARE(received.size(), 1);
    }

    void socketIsPrivateToTheUserAndTheDisplay_data()
    {
        QTest::addColumn<QString>("runtime");  // "private", "open" (to others) or "none"
        QTest::addColumn<bool>("fallbackTaken");  // someone else made our folder's name first
        QTest::addColumn<QString>("folder");  // where the socket goes: "runtime", "fallback", "" (nowhere)
        QTest::newRow("runtime folder") << "private" << true << "runtime";
        QTest::newRow("runtime folder open to others") << "open" << false << "fallback";
        QTest::newRow("no runtime folder") << "none" << false << "fallback";
        QTest::newRow("no runtime folder, ours taken") << "none" << true << "";
    }
    void socketIsPrivateToTheUserAndTheDisplay()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, fallbackTaken);
        QFETCH(QString, folder);
        QTemporaryDir shared, runtimeFolder;  // both made with mode 0700
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
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
        const QString expectedFolder = folder == QLatin1String("runtime") ? runtimeFolder.path() : fallback;
        QCOMPARE(name, folder.isEmpty() ? QString() : expectedFolder + QStringLiteral("/quillmarsh-:7"));
        if (!folder.isEmpty()) {
            QFileInfo made(expectedFolder);
            QCOMPARE(made.permissions()
                         & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
                             | QFile::ExeUser),
                     QFile::Permissions());
            qputenv("DISPLAY", ":8");
            QVERIFY(SingleInstance::defaultName() != name);  // another display, another instance
        }

        SingleInstance first(name);
        QVERIFY(first.claim({QStringLiteral("quillmarsh"), QStringLiteral("quillmarsh://auth-callback?code=secret")}));
        QCoreApplication::processEvents();
        QVERIFY(!squatter.hasPendingConnections());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTests)
#include "SingleInstanceTests.moc"
