#pragma once
// The window in which the user shares one dictation's kept recording: built for one entry, 600
// wide, as tall as its content (at least 420, at most its screen, the content scrolling beyond
// that), first centred on the screen and kept on one. Closing it stops the player; an upload under way still lands.

#include "History/HistoryStore.h"

#include <QObject>

#include <functional>
#include <memory>

class AppModel;
class QQmlEngine;
class QQuickView;
class ShareClipSession;

class ShareClipWindowController : public QObject {
    Q_OBJECT

public:
    // Builds the window (not shown yet) with the application's QML engine.
    ShareClipWindowController(const HistoryEntry& entry, AppModel& model, QQmlEngine& engine,
                              QObject* parent = nullptr);
    ~ShareClipWindowController() override;

    // Called once when the window closes, by its close button, "Cancel" or "Done". The owner may
    // drop the controller there with deleteLater().
    std::function<void()> onClose;

    QQuickView* window() const { return window_.get(); }
    ShareClipSession* session() const { return session_; }
    void show();

private:
    // As tall as the content, at least 420 and at most the screen; centred the first time.
    void fitToContent();

    std::unique_ptr<QQuickView> window_;
    ShareClipSession* session_;
    bool placed_ = false;
};
