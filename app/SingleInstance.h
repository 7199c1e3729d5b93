#pragma once
// One running application per user: the first start listens on a local socket; a later start
// hands its arguments to the first one and exits.

#include <QObject>
#include <QStringList>

#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The socket's name for this user ("quillmarsh-" and the user id).
    static QString defaultName();

    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one instance. False when another one runs: the arguments
    // have then been handed to it. A socket left behind by a crashed instance is taken over.
    bool claim(const QStringList& arguments);

signals:
    // In the first instance: the arguments of a later start.
    void argumentsReceived(const QStringList& arguments);

private:
    bool handOver(const QStringList& arguments) const;
    void receive();

    QString name_;
    std::unique_ptr<QLocalServer> server_;
};
