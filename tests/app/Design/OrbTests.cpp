#include "OrbMarkCoordinator.h"
#include "OrbState.h"
#include "OrbView.h"
#include "WindowOnScreen.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

class OrbTests : public QObject {
    Q_OBJECT

private slots:
    void aNewModeRestartsTheModeClock()
    {
        OrbState state;
        state.advance(0.5, 0);
        QSignalSpy changed(&state, &OrbState::modeChanged);
        state.setMode(OrbState::Listening);
        QCOMPARE(state.modeStartedAt(), 0.5);
        QCOMPARE(changed.count(), 1);

        state.advance(0.25, 0);
        state.setMode(OrbState::Listening);
        QCOMPARE(state.modeStartedAt(), 0.5);
        QCOMPARE(changed.count(), 1);

        state.setMode(OrbState::Thinking);
        QCOMPARE(state.modeStartedAt(), 0.75);
    }

    void listeningShedsMotesAndInsertedClearsThem()
    {
        OrbState state;
        state.setMode(OrbState::Listening);
        for (int frame = 0; frame < 30; ++frame)
            state.advance(1.0 / 60, 1.0);
        QVERIFY(!state.motes().empty());

        state.setMode(OrbState::Thinking);
        QVERIFY(!state.motes().empty());
        state.setMode(OrbState::Inserted);
        QVERIFY(state.motes().empty());
    }

    void demonstrationLoopCountsTicks()
    {
        OrbView view;
        OrbMarkCoordinator coordinator;
        coordinator.start(&view);
        coordinator.stop();  // ticks are driven by hand below

        const auto tickTo = [&](int n) {
            while (qRound(coordinator.loopSeconds() * 30) < n)
                coordinator.tick();
        };
        // Rest 1.4 s, listen to tick 198, think 1 s, show the insertion until tick 282, rest again.
        const std::pair<int, OrbState::Mode> timeline[] = {
            {1, OrbState::Idle},       {41, OrbState::Idle},      {42, OrbState::Listening}, {198, OrbState::Listening},
            {199, OrbState::Thinking}, {229, OrbState::Inserted}, {282, OrbState::Inserted}, {283, OrbState::Idle}};
        for (const auto& [tick, mode] : timeline) {
            tickTo(tick);
            QCOMPARE(view.orbState()->mode(), mode);
            QCOMPARE(view.level(), mode == OrbState::Listening
                                       ? OrbMarkCoordinator::simulatedVoiceLevel(coordinator.loopSeconds())
                                       : 0.0);
        }
    }

    // A resting orb only breathes: a big one needs a few frames a second, a small one fewer; what
    // moves gets every frame, and an orb that stands still gets none.
    void framesFollowWhatMoves()
    {
        OrbView big;
        big.setSize({148, 148});
        OrbView small;
        small.setSize({34, 34});
        QVERIFY(big.framePace() > 16 && big.framePace() < 150);
        QVERIFY(small.framePace() > big.framePace());
        QVERIFY(small.framePace() <= 500);

        big.orbState()->setMode(OrbState::Thinking);
        QCOMPARE(big.framePace(), 16);
        big.orbState()->setMode(OrbState::Error);
        QCOMPARE(big.framePace(), std::nullopt);
        big.orbState()->setMode(OrbState::Inserted);
        QCOMPARE(big.framePace(), 16);
        big.orbState()->advance(0.6, 0);
        QCOMPARE(big.framePace(), std::nullopt);

        // Motes shed while listening drift on at full pace after it, until they are gone.
        big.orbState()->setMode(OrbState::Listening);
        big.orbState()->advance(0.5, 1);
        big.orbState()->setMode(OrbState::Idle);
        QCOMPARE(big.framePace(), 16);
        big.orbState()->advance(1.3, 0);
        QVERIFY(big.framePace() > 16);
    }

    // The clock, and with it the frames, stops while the window is covered whole or hidden, and
    // goes on when it can be seen again; the breath keeps its pace at the slower frames.
    void framesPauseWhileTheWindowCantBeSeen()
    {
        std::function<void(bool)> reportCover;
        WindowOnScreen::setCoverWatch([&](QWindow&, std::function<void(bool)> report) {
            reportCover = std::move(report);
            return std::make_unique<QObject>();
        });
        QQuickWindow window;
        window.resize(200, 200);
        OrbView orb;
        orb.setParentItem(window.contentItem());
        orb.setSize({148, 148});
        orb.setRunning(true);
        const auto frozen = [&] {
            const double t = orb.orbState()->seconds();
            QTest::qWait(400);
            return orb.orbState()->seconds() == t;
        };
        QVERIFY(frozen());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const double shownAt = orb.orbState()->seconds();
        QTest::qWait(1000);
        QVERIFY(orb.orbState()->seconds() - shownAt > 0.8);

        QVERIFY(reportCover);
        reportCover(true);
        QVERIFY(frozen());
        reportCover(false);
        QTRY_VERIFY(!frozen());

        window.hide();
        QVERIFY(frozen());
        WindowOnScreen::setCoverWatch({});
    }

    void aTickAfterTheViewIsGoneDoesNothing()
    {
        OrbMarkCoordinator coordinator;
        {
            OrbView view;
            coordinator.start(&view);
            coordinator.stop();
        }
        coordinator.tick();
        QCOMPARE(coordinator.loopSeconds(), 0.0);
    }
};

QTEST_MAIN(OrbTests)
#include "OrbTests.moc"
