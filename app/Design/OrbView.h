#pragma once

#include "OrbState.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <optional>

class WindowOnScreen;

// Shows a live OrbState. While it is in a window that can be seen it runs a frame clock (paused
// unless `running`, and while the window is hidden, minimised or covered); each frame advances the
// state by the time since the previous frame (at most 0.05 s or one and a half frames, 1/60 s on
// the first) towards `level` clamped to [0, 1], then redraws. The clock goes no faster than what
// is shown moves: 60 frames a second in motion, a resting orb's slow breath only as often as it
// moves its edge by a quarter of a pixel, and none for an orb that stands still.
class OrbView : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(OrbState* orbState READ orbState CONSTANT)
    Q_PROPERTY(double level READ level WRITE setLevel NOTIFY levelChanged)
    Q_PROPERTY(bool light READ light WRITE setLight NOTIFY lightChanged)
    Q_PROPERTY(bool running READ running WRITE setRunning NOTIFY runningChanged)

public:
    explicit OrbView(QQuickItem* parent = nullptr);

    OrbState* orbState() { return &state_; }
    double level() const { return level_; }
    void setLevel(double level);
    bool light() const { return light_; }
    void setLight(bool light);
    bool running() const { return running_; }
    void setRunning(bool running);

    void paint(QPainter* painter) override;

    // Milliseconds between frames for what the orb shows now; nothing while it stands still.
    std::optional<int> framePace() const;

signals:
    void levelChanged();
    void lightChanged();
    void runningChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    void frame();
    void updateFrameClock();

    OrbState state_;
    double level_ = 0;
    bool light_ = false;
    bool running_ = false;
    QPointer<WindowOnScreen> onScreen_;
    QTimer frameClock_;
    QElapsedTimer sincePrevious_;
};
