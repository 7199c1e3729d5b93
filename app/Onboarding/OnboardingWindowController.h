#pragma once
// Owns the first-run window while it is open: centres it and says when it closes. The application
// owns the controller while the window is open; at most one exists at a time.

#include <QObject>

#include <functional>
#include <memory>

class QQuickWindow;

class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    // Takes the built window (nothing when its QML failed to build), centred on the main screen.
    explicit OnboardingWindowController(QQuickWindow* window, QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    // Called when the window closes, by the user or by close(). The window is still being closed
    // then: forget the controller with deleteLater, not delete.
    std::function<void()> onClose;

    QQuickWindow* window() const { return window_.get(); }
    // Shows the window, raises it and gives it the keyboard.
    void show();
    void close();

private:
    std::unique_ptr<QQuickWindow> window_;
};
