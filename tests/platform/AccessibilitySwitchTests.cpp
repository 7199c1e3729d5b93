// The accessibility switch as read from a stand-in for the accessibility bus's service on a private
// session bus: one that answers, and one that takes the question and never answers, as a hung
// service does. Reading the switch never holds up the main thread.
#include "DesktopPermissions.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <vector>

namespace {

using Switch = DesktopPermissions::Switch;

// Serves the IsEnabled status property, or drops the questions while it does not `answer`, saying
// so at once from the service's thread.
class StandInStatus final : public QDBusVirtualObject {
    Q_OBJECT

public:
    std::atomic<bool> answers = true;
    std::atomic<bool> enabled = false;
    std::atomic<int> questions = 0;
    std::atomic<int> unanswered = 0;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QLatin1String("Get")) {
            ++questions;
            if (!answers) {
                ++unanswered;
                emit dropped();
                return true;
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(enabled.load()))));
            return true;
        }
        if (message.member() != QLatin1String("Set"))
            return false;
        enabled = qvariant_cast<QDBusVariant>(message.arguments().value(2)).variant().toBool();
        connection.send(message.createReply());
        return true;
    }

signals:
    void dropped();
};

// Reads the switch every few milliseconds, as the windows' polls do but faster, and keeps each
// state it sees.
class Poll {
public:
    std::vector<Switch> seen;

    explicit Poll(DesktopPermissions& permissions)
    {
        timer_.callOnTimeout([this, &permissions] {
            if (const Switch state = permissions.accessibility(); seen.empty() || seen.back() != state)
                seen.push_back(state);
        });
        timer_.start(5);
    }
    void stop() { timer_.stop(); }

private:
    QTimer timer_;
};

}

class AccessibilitySwitchTests : public QObject {
    Q_OBJECT

    QProcess bus_;
    // The service answers from a thread of its own, as another process would.
    QThread serviceThread_;
    StandInStatus status_;
    std::unique_ptr<DesktopPermissions> permissions_;

private slots:
    void initTestCase()
    {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY2(bus_.waitForStarted() && bus_.waitForReadyRead(10000), "dbus-daemon must start");
        const QByteArray address = bus_.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("stand-in"));
        status_.moveToThread(&serviceThread_);
        serviceThread_.start();
        QVERIFY(service.registerVirtualObject(QStringLiteral("/org/a11y/bus"), &status_));
        QVERIFY(service.registerService(QStringLiteral("org.a11y.Bus")));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
        serviceThread_.quit();
        serviceThread_.wait();
        bus_.kill();
        bus_.waitForFinished();
    }

    // Every case starts with a reader that has asked nothing and a service that answers "off".
    void init()
    {
        status_.answers = true;
        status_.enabled = false;
        status_.questions = 0;
        status_.unanswered = 0;
        permissions_ = DesktopPermissions::fromDesktop();
    }

    void cleanup() { permissions_.reset(); }

    void theSwitchFollowsTheAnswers()
    {
        QCOMPARE(permissions_->accessibility(), Switch::unknown);
        QTRY_COMPARE(permissions_->accessibility(), Switch::off);
        status_.enabled = true;
        QTRY_COMPARE(permissions_->accessibility(), Switch::on);
        status_.enabled = false;
        QTRY_COMPARE(permissions_->accessibility(), Switch::off);

        // The last read left a question out, asked before the switch is turned on: its "off"
        // must not show once the switch reads as on.
        permissions_->promptAccessibility();
        const Poll poll(*permissions_);
        QTRY_VERIFY(status_.enabled);
        // A second question after the Set goes out only once the first was answered.
        const int asked = status_.questions;
        QTRY_VERIFY(status_.questions > asked + 1);
        QCOMPARE(poll.seen, std::vector{Switch::on});
    }

    void aServiceThatNeverAnswersEndsAsAbsentWithoutHoldingTheMainThread()
    {
        status_.enabled = true;
        QTRY_COMPARE(permissions_->accessibility(), Switch::on);
        // The moment the service takes a question it will never answer, it hands the main thread an
        // event. A main thread free while the question is out handles it before the question times
        // out; one waiting for the answer handles it only after, when the switch already reads absent.
        QObject receiver;
        std::vector<Switch> seenByTheEvents;
        QObject::connect(&status_, &StandInStatus::dropped, &receiver,
                         [&] { seenByTheEvents.push_back(permissions_->accessibility()); });
        status_.answers = false;
        Poll poll(*permissions_);

        // The last answer shows until the question times out.
        QTRY_VERIFY_WITH_TIMEOUT(!poll.seen.empty() && poll.seen.back() == Switch::absent, 5000);
        poll.stop();
        QVERIFY(!seenByTheEvents.empty());
        QCOMPARE(seenByTheEvents.front(), Switch::on);
        QCOMPARE(poll.seen, (std::vector{Switch::on, Switch::absent}));
        // One question at a time: the one that timed out, then one more.
        QTRY_COMPARE(status_.unanswered.load(), 2);
    }
};

QTEST_GUILESS_MAIN(AccessibilitySwitchTests)
#include "AccessibilitySwitchTests.moc"
