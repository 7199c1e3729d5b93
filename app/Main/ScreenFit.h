#pragma once
// Keeps a window where the user can reach it: a frame that lies off every screen (a monitor was
// unplugged) moves to the middle of the first screen, and no frame is taller than its screen.

#include <QList>
#include <QRect>

namespace ScreenFit {
// `screens` are the screens' available areas, the primary first; with none the frame stays.
QRect fit(const QRect& frame, const QList<QRect>& screens);
}
