#pragma once
// The window in which the user shares one dictation's kept recording: built for one entry, 600
// wide, as tall as its content (at least 420, at most its screen, the content scrolling beyond
// that), centred on the screen. Closing it stops the player; an upload under way still lands.

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QQuickView> window_;
    ShareClipSession* session_;
};
