#include "Main/WindowFrame.h"

#include <algorithm>

namespace WindowFrame {

int contentHeight(std::optional<int> availableHeight)
{
    return availableHeight ? std::min(*availableHeight - 24, tallest) : tallest;
}

QRect fitted(const QRect& saved, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return saved;
    const QRect screen = screenFor(saved, screens);
    QRect frame = saved;
    frame.setWidth(std::clamp(frame.width(), minimumWidth, std::max(minimumWidth, screen.width())));
    frame.setHeight(std::clamp(frame.height(), minimumHeight, std::max(minimumHeight, contentHeight(screen.height()))));
    return movedOnto(frame, screen);
}

QRect screenFor(const QRect& frame, const QList<QRect>& screens)
{
    QRect screen = screens.first();
    qint64 bestOverlap = 0;
    for (const QRect& candidate : screens) {
        const QRect overlap = candidate.intersected(frame);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (area > bestOverlap) {
            bestOverlap = area;
            screen = candidate;
        }
    }
    return screen;
}

QRect movedOnto(const QRect& frame, const QRect& screen)
{
    const int x = std::clamp(frame.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - frame.width()));
    const int y = std::clamp(frame.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - frame.height()));
    return frame.translated(x - frame.x(), y - frame.y());
}

}
