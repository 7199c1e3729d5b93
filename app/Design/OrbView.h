#pragma once

#include "OrbState.h"

#include <QElapsedTimer>
#include <QQuickPaintedItem>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// Shows a live OrbState. While it is in a window it runs a 60-per-second frame clock (paused
// unless `running`); each frame advances the state by the time since the previous frame (at most
// 0.05 s, 1/60 s on the first) towards `level` clamped to [0, 1], then redraws.
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
    bool hasFrameClock_ = false;
    QTimer frameClock_;
    QElapsedTimer sincePrevious_;
};
