#pragma once
// Saves a window's picture for the screenshot programs: after its first frame and a short pause
// (images and fonts load within the first frames; the orbs run a few frames), writes the PNG and
// ends the event loop (exit code 1 when the file can't be written).

#include <QString>

class QQuickWindow;

namespace WindowPicture {
void saveWhenDrawn(QQuickWindow* window, const QString& output);
}
