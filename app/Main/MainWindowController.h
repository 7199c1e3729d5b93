#pragma once
// Owns the main window while it is open: builds it over the shared page model, opens it where the
// user last left it (saved under "QuillmarshMainWindow2") or centred, and reports its closing.

#include <QObject>

#include <functional>
#include <memory>

class AppModel;
class QQuickWindow;
class QmlWindowFactory;
class Settings;

class MainWindowController : public QObject {
    Q_OBJECT

public:
    static inline const QString frameKey = QStringLiteral("QuillmarshMainWindow2");

    // Builds the window without showing it; `window()` is nothing when its QML failed to build.
    MainWindowController(const QmlWindowFactory& factory, AppModel& model, Settings& settings);
    ~MainWindowController() override;

    QQuickWindow* window() const { return window_.get(); }
    // Shows the window, raised and focused.
    void show();
    // Puts the keyboard on the page, with its ring, once the window is active.
    void focusPage();

    // Called once when the user closes the window. Set by the owner right after construction.
    std::function<void()> onClose;

private:
    void placeWindow();
    void saveFrame();

    AppModel& model_;
    Settings& settings_;
    std::unique_ptr<QQuickWindow> window_;
};
