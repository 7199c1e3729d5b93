#include "Main/ScreenFit.h"

#include <algorithm>

QRect ScreenFit::fit(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame;
    const auto home =
        std::find_if(screens.begin(), screens.end(), [&](const QRect& screen) { return screen.intersects(frame); });
    const QRect screen = home == screens.end() ? screens.first() : *home;
    QRect fitted = frame;
    fitted.setHeight(std::min(frame.height(), screen.height()));
    if (home == screens.end())
        fitted.moveCenter(screen.center());
    // A frame that reaches past the top or bottom of its screen slides back onto it.
    if (fitted.bottom() > screen.bottom())
        fitted.moveBottom(screen.bottom());
    if (fitted.top() < screen.top())
        fitted.moveTop(screen.top());
    return fitted;
}
