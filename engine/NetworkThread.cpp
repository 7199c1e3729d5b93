#include "NetworkThread.h"

#include <QNetworkAccessManager>

NetworkThread::NetworkThread()
{
    thread_.setObjectName(QStringLiteral("quillmarsh.network"));
    manager_ = new QNetworkAccessManager;
    manager_->moveToThread(&thread_);
    // Deleted on its own thread once the event loop has stopped, with any reply it still holds.
    QObject::connect(&thread_, &QThread::finished, manager_, &QObject::deleteLater);
    thread_.start();
}

NetworkThread::~NetworkThread()
{
    thread_.quit();
    thread_.wait();
}

void NetworkThread::post(std::function<void(QNetworkAccessManager&)> work)
{
    QMetaObject::invokeMethod(manager_, [manager = manager_, work = std::move(work)] { work(*manager); });
}
