#include "OrbState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void OrbState::setMode(Mode mode) {
  if (mode == m_mode) return;
  m_mode = mode;
  m_stateT = m_t;
  if (mode == Inserted) m_motes.clear();
  emit modeChanged();
}

void OrbState::advance(double seconds, double level) {
  m_t += seconds;
  // Rise quickly with the voice, fall back more slowly, so the orb breathes instead of flickering.
  const double rate = level > m_shownLevel ? 18.0 : 6.0;
  m_shownLevel += (level - m_shownLevel) * std::min(1.0, seconds * rate);

  for (Mote& mote : m_motes) {
    mote.position += mote.velocity * seconds;
    mote.life -= seconds / 1.2;
  }
  std::erase_if(m_motes, [](const Mote& mote) { return mote.life <= 0; });

  if (m_mode != Listening) return;
  // Louder speech sheds more motes, up to 24 a second; a small fixed generator keeps it cheap.
  m_moteDebt += seconds * 24 * m_shownLevel;
  while (m_moteDebt >= 1) {
    m_moteDebt -= 1;
    m_seed = m_seed * 1103515245u + 12345u;
    const double angle = double((m_seed >> 8) % 3600) / 3600.0 * 2 * std::numbers::pi;
    const QPointF direction(std::cos(angle), std::sin(angle));
    m_motes.push_back({direction * 1.05, direction * (0.35 + 0.4 * m_shownLevel), 1.0});
  }
}
