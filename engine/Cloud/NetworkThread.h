#pragma once
// The thread with an event loop that the server engine's WebSockets live on. Work posted from
// any thread runs there in the order it was posted.

#include <QObject>
#include <QThread>

#include <functional>

class NetworkThread {
public:
    NetworkThread();
    // Deletes the objects living on the thread (on the thread), then ends it.
    ~NetworkThread();

    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    void post(std::function<void()> work);
    // The parent of objects made on the thread, so none outlives it.
    QObject* home() const { return home_; }

private:
    QThread* thread_;
    QObject* home_;
};
