#include "OrbMarkCoordinator.h"
#include "OrbState.h"
#include "OrbView.h"

#include <QSignalSpy>
#include <QTest>

class OrbTests : public QObject {
  Q_OBJECT

private slots:
  void aNewModeRestartsTheModeClock() {
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

  void listeningShedsMotesAndInsertedClearsThem() {
    OrbState state;
    state.setMode(OrbState::Listening);
    for (int frame = 0; frame < 30; ++frame) state.advance(1.0 / 60, 1.0);
    QVERIFY(!state.motes().empty());

    state.setMode(OrbState::Thinking);
    QVERIFY(!state.motes().empty());
    state.setMode(OrbState::Inserted);
    QVERIFY(state.motes().empty());
  }

  void simulatedLevelFollowsItsFormula() {
    QVERIFY(qAbs(OrbMarkCoordinator::simLevel(0) - 0.1496) < 1e-12);
    for (int i = 0; i < 20000; ++i) {
      const double t = i * 0.013;
      const double level = OrbMarkCoordinator::simLevel(t);
      QVERIFY(level >= 0.6 * 0.7 * 0.05 * 0.22 - 1e-12);
      QVERIFY(level <= 1.0);
      const bool gateClosed = std::sin(0.9 * t) + std::sin(0.37 * t + 1.0) <= -0.7;
      if (gateClosed) QVERIFY(level <= 0.05);
    }
  }

  void demonstrationLoopCountsTicks() {
    OrbView view;
    OrbMarkCoordinator coordinator;
    coordinator.start(&view);
    coordinator.stop();  // ticks are driven by hand below

    const auto tickTo = [&](int n) {
      while (qRound(coordinator.t() * 30) < n) coordinator.tick();
    };
    tickTo(1);
    QCOMPARE(view.orbState()->mode(), OrbState::Idle);
    QCOMPARE(view.level(), 0.0);
    tickTo(41);
    QCOMPARE(view.orbState()->mode(), OrbState::Idle);
    tickTo(42);
    QCOMPARE(view.orbState()->mode(), OrbState::Listening);
    QCOMPARE(view.level(), OrbMarkCoordinator::simLevel(coordinator.t()));
    tickTo(198);
    QCOMPARE(view.orbState()->mode(), OrbState::Listening);
    tickTo(199);
    QCOMPARE(view.orbState()->mode(), OrbState::Thinking);
    QCOMPARE(view.level(), 0.0);
    tickTo(229);
    QCOMPARE(view.orbState()->mode(), OrbState::Inserted);
    tickTo(282);
    QCOMPARE(view.orbState()->mode(), OrbState::Inserted);
    tickTo(283);
    QCOMPARE(view.orbState()->mode(), OrbState::Idle);
  }

  void aTickAfterTheViewIsGoneDoesNothing() {
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
