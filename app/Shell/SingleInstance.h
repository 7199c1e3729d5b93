#pragma once
// One running application per user and display: the first start holds a lock and listens on a
// local socket, both in a folder only the user can enter; a later start hands its arguments to the
// first one and exits. The lock, not the socket, says whether an instance runs, so whatever
// becomes of the socket's name a later start never runs beside the first. Without such a folder,
// a name of the display's own on the session bus does the same (the bus lets it go when its
// owner ends); only without both does the application run alone.

#include <QObject>
#include <QStringList>

#include <memory>

class QDBusConnection;
class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quillmarsh.Instance")

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
    // The session bus's name for this user's instance on this display.
    static QString defaultBusName();

    explicit SingleInstance(QString name = defaultName(), QString busName = defaultBusName(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // A socket or lock left behind by a crashed instance is taken over. Without a name, the claim
    // is made on the session bus, and without one either, to run alone.
    Claim claim(const QStringList& arguments);
    // Why the claim was refused, or why this process runs alone, as a sentence for the user.
    const QString& refusal() const { return refusal_; }

public slots:
    // Called over the session bus by a later start.
    Q_SCRIPTABLE void takeArguments(const QStringList& arguments);

signals:
    // In the first instance: the arguments of a later start.
    void argumentsReceived(const QStringList& arguments);

private:
    Claim claimOnBus(const QStringList& arguments);
    bool handOver(const QStringList& arguments) const;
    void listen();
    void receive();

    QString name_;
    QString busName_;
    std::unique_ptr<QDBusConnection> bus_;
    int lock_ = -1;
    QString refusal_;
    std::unique_ptr<QLocalServer> server_;
};
