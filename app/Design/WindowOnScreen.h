#pragma once
// Whether what a window shows can be seen: the window is shown, not minimised, exposed, and not
// covered whole by other windows. Animations pause while it can't. One per window, made on first
// asking and owned by the window.

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

class WindowOnScreen : public QObject {
    Q_OBJECT

public:
    static WindowOnScreen* of(QWindow* window);

    bool onScreen() const { return onScreen_; }

    // Starts watching whether other windows cover `window` whole, telling `report` of each change;
    // the watch lasts as long as what it returns. The application sets the desktop's; without one
    // a window is never taken for covered.
    using CoverWatch =
        std::function<std::unique_ptr<QObject>(QWindow& window, std::function<void(bool covered)> report)>;
    static void setCoverWatch(CoverWatch watch);

signals:
    void onScreenChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowOnScreen(QWindow* window);
    void update();
    void setCovered(bool covered);

    QWindow* const window_;
    bool covered_ = false;
    bool onScreen_ = false;
    WId watchedId_ = 0;
    std::unique_ptr<QObject> coverWatch_;
};
