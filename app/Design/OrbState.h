#pragma once

#include <QObject>
#include <QPointF>
#include <QtQml/qqmlregistration.h>

#include <vector>

// The orb's animated state: its mode, its clock, the clock reading when the mode last changed,
// the level it shows (eased towards the input level) and the dust motes it sheds while listening.
class OrbState : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("An orb's state belongs to its OrbView.")
  Q_PROPERTY(Mode mode READ mode WRITE setMode NOTIFY modeChanged)

public:
  enum Mode { Idle, Listening, Thinking, Inserted, Error };
  Q_ENUM(Mode)

  struct Mote {
    QPointF position;  // relative to the orb's centre, in units of its radius
    QPointF velocity;  // per second
    double life = 1;   // 1 when born, gone at 0
  };

  using QObject::QObject;

  Mode mode() const { return m_mode; }
  // A different mode restarts the mode clock at the current time; entering `Inserted` also
  // clears the motes.
  void setMode(Mode mode);

  // Moves the clock on by `seconds` and eases the shown level towards `level`.
  void advance(double seconds, double level);

  double t() const { return m_t; }
  double stateT() const { return m_stateT; }
  double shownLevel() const { return m_shownLevel; }
  const std::vector<Mote>& motes() const { return m_motes; }

signals:
  void modeChanged();

private:
  Mode m_mode = Idle;
  double m_t = 0;
  double m_stateT = 0;
  double m_shownLevel = 0;
  double m_moteDebt = 0;
  unsigned m_seed = 1;
  std::vector<Mote> m_motes;
};
