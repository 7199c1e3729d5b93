#pragma once
// Where the main window opens: its first size, and a saved frame fitted to today's screens; and
// the rule every window follows to stay where the user can reach it.

#include <QList>
#include <QRect>

#include <optional>

namespace WindowFrame {

inline constexpr int width = 1120;
inline constexpr int tallest = 810;
inline constexpr int minimumWidth = 980;
inline constexpr int minimumHeight = 640;

// The content height on a screen whose free area is that high: 24 less, at most 810; 810
// without a screen.
int contentHeight(std::optional<int> availableHeight);

// A saved frame as it may open now: no taller than the content height of the screen it lands on,
// and moved wholly onto that screen when it lies off every screen (a monitor was unplugged) or
// hangs over an edge. `screens` are the free areas, the main screen first; without screens the
// frame is returned unchanged.
QRect fitted(const QRect& saved, const QList<QRect>& screens);

// The screen holding most of the frame, else the main screen (the first; there must be one).
QRect screenFor(const QRect& frame, const QList<QRect>& screens);
// The frame moved wholly onto the screen; one larger than the screen keeps its top-left corner on it.
QRect movedOnto(const QRect& frame, const QRect& screen);

}
