#include "WindowClosing.h"

#include <QWindow>

void WindowClosing::whenClosed(QWindow& window, QObject& context, std::function<void()> closed)
{
    // A close hides the window whatever asked for it; the Close event alone misses a hide.
    QObject::connect(&window, &QWindow::visibleChanged, &context, [closed = std::move(closed)](bool visible) {
        if (!visible)
            closed();
    });
}
