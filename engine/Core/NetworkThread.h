#pragma once
// A thread with its own event loop for network work: sockets and replies need a running event
// loop, while their callers (the decode and install queues) block or run elsewhere. Work posted
// from any thread runs there in the order it was posted.

#include <QObject>
#include <QThread>

#include <functional>

class QNetworkAccessManager;

class NetworkThread {
public:
    NetworkThread();
    // Deletes the objects living on the thread (on the thread), then ends it; requests still
    // running are dropped.
    ~NetworkThread();

    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    void post(std::function<void()> work);
    // The same, handing the work the thread's network access manager (no cache, no cookies kept).
    void post(std::function<void(QNetworkAccessManager&)> work);

    // The parent of objects made on the thread, so none outlives it.
    QObject* home() const { return home_; }

private:
    QThread* thread_;
    QObject* home_;
    QNetworkAccessManager* manager_;  // a child of home_
};
