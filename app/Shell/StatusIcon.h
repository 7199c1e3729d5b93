#pragma once
// The tray's mark: the orb in its bar form, a dot between two short level bars.

#include <QColor>
#include <QImage>

#include <optional>

class OrbState;

namespace StatusIcon {
// 22 × 18 at the given pixel ratio. A template image is drawn in one neutral colour that reads
// on light and dark panels; otherwise in `color`, or the palette's ink when none is given.
QImage orb(const OrbState& state, std::optional<QColor> color, bool isTemplate, qreal pixelRatio = 2);
}
