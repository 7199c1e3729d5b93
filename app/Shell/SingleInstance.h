#pragma once
// One running application per user and display: the first start holds a lock and listens on a
// local socket, both in a folder only the user can enter; a later start hands its arguments to the
// first one and exits. The lock, not the socket, says whether an instance runs, so whatever
// becomes of the socket's name a later start never runs beside the first.

#include <QObject>
#include <QStringList>

#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        first,  // this process is now the one instance
        handedOver,  // another one runs and has the arguments
        refused,  // another one may run and couldn't be reached: see refusal()
        alone,  // this process runs without knowing of others, nor being found: see refusal()
    };

    // The socket's path for this user and display: "quillmarsh-" and the display, in
    // $XDG_RUNTIME_DIR when that is private to the user, else in a folder of ours (mode 0700) in
    // the temporary folder, else (someone else took that name) in one below the state folder, else
    // below the configuration folder. Empty when none of them can be had.
    static QString defaultName();

    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // A socket or lock left behind by a crashed instance is taken over. Without a name, the claim
    // is to run alone.
    Claim claim(const QStringList& arguments);
    // Why the claim was refused, or why this process runs alone, as a sentence for the user.
    const QString& refusal() const { return refusal_; }

signals:
    // In the first instance: the arguments of a later start.
    void argumentsReceived(const QStringList& arguments);

private:
    bool handOver(const QStringList& arguments) const;
    void listen();
    void receive();

    QString name_;
    int lock_ = -1;
    QString refusal_;
    std::unique_ptr<QLocalServer> server_;
};
