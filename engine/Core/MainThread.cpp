#include "MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

void runOnMainThread(std::function<void()> work)
{
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT_X(app, "runOnMainThread", "needs a QCoreApplication");
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

bool isMainThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
