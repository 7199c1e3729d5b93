#pragma once
// The application's own windows but the first run's: the main window, the one that shares a
// recording and the acknowledgements. Each is built on first use, shown and brought to the front
// when asked for, and let go once the user closes it.

#include "Main/MainSection.h"

#include <QUuid>

#include <memory>
#include <optional>

class AcknowledgementsWindow;
class AppModel;
class ClipVault;
class HistoryStore;
class MainWindowController;
class QQmlEngine;
class QQuickWindow;
class QmlWindowFactory;
class Settings;
class ShareClipWindowController;

class AppWindows {
public:
    struct Sources {
        const QmlWindowFactory& factory;
        QQmlEngine& engine;
        AppModel& model;
        Settings& settings;
        HistoryStore& history;
        ClipVault& vault;
    };

    explicit AppWindows(Sources sources);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // Opens the main window, first switching it to the section when one is given.
    void showMain(std::optional<MainSection> section = std::nullopt);
    // Puts the keyboard on the open main window's page, with its ring.
    void focusMainPage();
    // Opens the window that shares the recording of one history entry, in place of one open.
    void showShare(const QUuid& entryID);
    // The same for the newest dictation whose recording is kept; false when there is none.
    bool showNewestShare();
    void showAcknowledgements();

    // Each open window, or nothing.
    QQuickWindow* main() const;
    QQuickWindow* share() const;
    QQuickWindow* acknowledgements() const;

private:
    Sources sources_;
    std::unique_ptr<MainWindowController> main_;
    std::unique_ptr<ShareClipWindowController> share_;
    std::unique_ptr<AcknowledgementsWindow> acknowledgements_;
};
