// What follows a paste waits until an application has read the pasted text, or for the timeout
// when nothing reads it (offscreen: the clipboard stays inside this process).

#include "Inserter.h"
#include "KeyPoster.h"
#include "ManualClock.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

namespace {
struct PostedKeys final : KeyPoster {
    bool post(const QList<quint32>& keysyms) override
    {
        posted << keysyms;
        return true;
    }
    QList<QList<quint32>> posted;
};
}

class InserterTests : public QObject {
    Q_OBJECT

private slots:
    void whatFollowsAPasteWaitsForTheTextToBeReadOrForTheTimeout()
    {
        ManualClock clock;
        PostedKeys keys;
        Inserter inserter(*QGuiApplication::clipboard(), keys, clock);
        int ran = 0;

        QCOMPARE(inserter.insert(QStringLiteral("read"), Inserter::Target::field), Inserter::Result::pasted);
        inserter.afterTaken([&] { ++ran; });
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("read"));
        QCOMPARE(ran, 0);  // not inside the clipboard's answer
        QTRY_COMPARE(ran, 1);

        inserter.insert(QStringLiteral("unread"), Inserter::Target::field);
        inserter.afterTaken([&] { ++ran; });
        clock.advance(Inserter::takenTimeout - std::chrono::milliseconds(1));
        QCOMPARE(ran, 1);
        clock.advance(std::chrono::milliseconds(1));
        QCOMPARE(ran, 2);

        QCOMPARE(inserter.insert(QStringLiteral("secret"), Inserter::Target::password), Inserter::Result::copied);
        inserter.afterTaken([&] { ++ran; });
        QCOMPARE(ran, 3);
        QCOMPARE(keys.posted.size(), 2);
    }
};

QTEST_MAIN(InserterTests)
#include "InserterTests.moc"
