#include "OrbMarkCoordinator.h"
#include "OrbState.h"
#include "OrbView.h"

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
        QCOMPARE(state.stateT(), 0.5);
        QCOMPARE(changed.count(), 1);

        state.advance(0.25, 0);
        state.setMode(OrbState::Listening);
        QCOMPARE(state.stateT(), 0.5);
        QCOMPARE(changed.count(), 1);

        state.setMode(OrbState::Thinking);
        QCOMPARE(state.stateT(), 0.75);
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
            while (qRound(coordinator.t() * 30) < n)
                coordinator.tick();
        };
        // Rest 1.4 s, listen to tick 198, think 1 s, show the insertion until tick 282, rest again.
        const std::pair<int, OrbState::Mode> timeline[] = {
            {1, OrbState::Idle},       {41, OrbState::Idle},      {42, OrbState::Listening}, {198, OrbState::Listening},
            {199, OrbState::Thinking}, {229, OrbState::Inserted}, {282, OrbState::Inserted}, {283, OrbState::Idle}};
        for (const auto& [tick, mode] : timeline) {
            tickTo(tick);
            QCOMPARE(view.orbState()->mode(), mode);
            QCOMPARE(view.level(), mode == OrbState::Listening ? OrbMarkCoordinator::simLevel(coordinator.t()) : 0.0);
        }
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
        QCOMPARE(coordinator.t(), 0.0);
    }
};

QTEST_MAIN(OrbTests)
#include "OrbTests.moc"
