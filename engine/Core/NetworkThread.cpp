#include "NetworkThread.h"

#include <QNetworkAccessManager>

NetworkThread::NetworkThread() : thread_(new QThread), home_(new QObject), manager_(new QNetworkAccessManager(home_))
{
    thread_->setObjectName(QStringLiteral("quillmarsh.network"));
    home_->moveToThread(thread_);
    thread_->start();
}

NetworkThread::~NetworkThread()
{
    if (QThread::currentThread() == thread_) {
        // The last user let go from inside the thread's own work: it cannot wait for itself, so
        // the objects go with the thread's deferred deletions and the thread object after it ends.
        home_->deleteLater();
        QObject::connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
        thread_->quit();
        return;
    }
    // Blocking, so the work posted before runs first and the children die on their own thread.
    QObject* home = home_;
    QMetaObject::invokeMethod(
        home_, [home] { delete home; }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete thread_;
}

void NetworkThread::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(home_, std::move(work), Qt::QueuedConnection);
}

void NetworkThread::post(std::function<void(QNetworkAccessManager&)> work)
{
    QNetworkAccessManager* manager = manager_;
    post([manager, work = std::move(work)] { work(*manager); });
}
