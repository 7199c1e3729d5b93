// One instance per user: a later start hands its arguments to the first and is told to exit.
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUuid>

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
};

QTEST_GUILESS_MAIN(SingleInstanceTests)
#include "SingleInstanceTests.moc"
