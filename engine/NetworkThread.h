#pragma once
// A thread with its own event loop and network access manager. Network replies need a running
// event loop, and the callers that download (the install queues) block while they wait.

#include <QThread>

#include <functional>

class QNetworkAccessManager;

class NetworkThread {
public:
    NetworkThread();
    // Ends the thread; requests still running are dropped.
    ~NetworkThread();
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    // Runs the work on the network thread, in the order posted; returns at once.
    void post(std::function<void(QNetworkAccessManager&)> work);

private:
    QThread thread_;
    QNetworkAccessManager* manager_ = nullptr;  // lives on thread_
};
