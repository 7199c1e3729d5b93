#pragma once
// The tray item: the orb mark and a menu that reports the speech model (with "Try again" after a
// failure), the microphone and the dictation key, and opens the main window, the settings, the
// feedback mail, or quits. Without a tray on the desktop it does nothing and the application
// goes on without it.

#include <QObject>

#include <functional>
#include <memory>

class AppModel;
class QAction;
class QImage;
class QMenu;
class QSystemTrayIcon;

class StatusMenu : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> openMain;
        std::function<void()> openSettings;
        std::function<void()> retry;
        std::function<bool()> canRetry;
    };

    StatusMenu(AppModel& model, Actions actions);
    ~StatusMenu() override;

    // The texts and items the menu shows now; refreshed each time it opens.
    void refresh();
    QMenu& menu() const { return *menu_; }
    // The tray's mark from now on (the orb following a dictation).
    void setIcon(const QImage& image);
    // False on a desktop without a tray: then only the main window reaches the application.
    bool inTray() const { return tray_ != nullptr; }

private:
    AppModel& model_;
    Actions actions_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QAction* modelLine_ = nullptr;
    QAction* retry_ = nullptr;
    QAction* microphoneLine_ = nullptr;
    QAction* keyLine_ = nullptr;
};
