#include "OnboardingWindowController.h"

#include "Shell/WindowClosing.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

OnboardingWindowController::OnboardingWindowController(QQuickWindow* window, QObject* parent)
    : QObject(parent), window_(window)
{
    if (!window_)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window_->size());
        frame.moveCenter(screen->availableGeometry().center());
        window_->setPosition(frame.topLeft());
    }
    WindowClosing::whenClosed(*window_, *this, [this] {
        if (onClose)
            onClose();
    });
}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::show()
{
    if (!window_)
        return;
    window_->show();
    window_->raise();
    window_->requestActivate();
}

void OnboardingWindowController::close()
{
    if (window_)
        window_->close();
}
