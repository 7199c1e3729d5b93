#pragma once
// How the application's windows go: once one is closed (its close button, Escape, Control-W, or
// the program's close()), its owner is told and lets it go as soon as the close has run its
// course. A window only hidden would stay among the application's frames on the accessibility
// bus, where a reader still lists it.

#include <functional>

class QObject;
class QWindow;

namespace WindowClosing {

// Calls `closed` each time `window` goes from the screen, within the close itself: the owner drops
// the window (or what owns it) with deleteLater, not delete. Nothing is called once `context` is
// gone.
void whenClosed(QWindow& window, QObject& context, std::function<void()> closed);

}
