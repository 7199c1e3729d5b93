#pragma once
// Whether other windows cover one X window whole, so that nothing drawn in it can be seen. Read on
// the main thread over a connection of its own: event masks are kept per connection, so the
// toolkit's own choice of events on the window stays as it is. Without a display it stays silent.
// A desktop that composites its windows reports them never covered.

#include <QObject>

#include <functional>

class QSocketNotifier;
struct xcb_connection_t;

class X11WindowCover final : public QObject {
    Q_OBJECT
public:
    // `report` hears each change, from the first after the watch begins.
    X11WindowCover(quint64 window, std::function<void(bool covered)> report, QObject* parent = nullptr);
    ~X11WindowCover() override;

private:
    void readEvents();

    std::function<void(bool covered)> report_;
    xcb_connection_t* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
