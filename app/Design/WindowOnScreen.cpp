#include "WindowOnScreen.h"

#include <QEvent>

namespace {

WindowOnScreen::CoverWatch& coverWatch()
{
    static WindowOnScreen::CoverWatch watch;
    return watch;
}

}

WindowOnScreen* WindowOnScreen::of(QWindow* window)
{
    if (auto* existing = window->findChild<WindowOnScreen*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new WindowOnScreen(window);
}

void WindowOnScreen::setCoverWatch(CoverWatch watch)
{
    coverWatch() = std::move(watch);
}

WindowOnScreen::WindowOnScreen(QWindow* window) : QObject(window), window_(window)
{
    connect(window, &QWindow::visibleChanged, this, &WindowOnScreen::update);
    connect(window, &QWindow::visibilityChanged, this, &WindowOnScreen::update);
    // Exposure has no signal of its own; it is read once the window has taken the event.
    window->installEventFilter(this);
    update();
}

bool WindowOnScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Expose)
        QMetaObject::invokeMethod(this, &WindowOnScreen::update, Qt::QueuedConnection);
    return false;
}

void WindowOnScreen::update()
{
    // Watched from the first showing on, once the window has its place on the desktop, and watched
    // anew when the desktop's window behind it was made anew.
    if (window_->isVisible() && coverWatch() && window_->winId() != watchedId_) {
        watchedId_ = window_->winId();
        covered_ = false;
        coverWatch_ = coverWatch()(*window_, [this](bool covered) { setCovered(covered); });
    }
    const bool onScreen =
        window_->isVisible() && window_->isExposed() && window_->visibility() != QWindow::Minimized && !covered_;
    if (onScreen == onScreen_)
        return;
    onScreen_ = onScreen;
    emit onScreenChanged();
}

void WindowOnScreen::setCovered(bool covered)
{
    covered_ = covered;
    update();
}
