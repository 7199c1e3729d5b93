#pragma once
// Tells when the computer wakes from sleep: logind says PrepareForSleep(false) on the system bus
// as it resumes. Without a system bus (a container, a bare session), or without logind on it,
// nothing is ever told, and the log says so once.

#include <QDBusConnection>
#include <QObject>

class SystemResume : public QObject {
    Q_OBJECT

public:
    // Listens on `bus`: the system bus, or a test's bus standing in for it.
    explicit SystemResume(const QDBusConnection& bus = QDBusConnection::systemBus(), QObject* parent = nullptr);

signals:
    void resumed();

private slots:
    void sleepChanged(bool sleeping);
};
