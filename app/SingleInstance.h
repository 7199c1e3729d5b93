#pragma once
// One running application per user and display: the first start listens on a local socket in a
// folder only the user can enter; a later start hands its arguments to the first one and exits.

#include <QObject>
#include <QStringList>

#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The socket's path for this user and display: "quillmarsh-" and the display, in
    // $XDG_RUNTIME_DIR when that is private to the user, else in a folder of ours (mode 0700) in
    // the temporary folder. Empty when neither can be had: someone else holds the name.
    static QString defaultName();

    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one instance. False when another one runs: the arguments
    // have then been handed to it. A socket left behind by a crashed instance is taken over.
    // Without a name it is the only instance it knows of, and later starts run on their own.
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
