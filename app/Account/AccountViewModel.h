#pragma once
// The Account page's state and actions while the page is on screen: the typed address and the
// progress of an e-mailed link, Google sign-in, sign-out, and the account server's export and
// delete with their busy flag and message line. Everything runs on the main thread.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

class AccountAPI;
class AccountManager;

class AccountViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the page model")

    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)
    Q_PROPERTY(bool emailLooksValid READ emailLooksValid NOTIFY emailChanged)
    Q_PROPERTY(QString phase READ phaseRaw NOTIFY phaseChanged)
    // The address the link went to (sentLink) or the message (failed); empty otherwise.
    Q_PROPERTY(QString phaseText READ phaseText NOTIFY phaseChanged)
    Q_PROPERTY(bool signedIn READ signedIn NOTIFY stateChanged)
    Q_PROPERTY(bool dataBusy READ dataBusy NOTIFY dataChanged)
    // Empty while there is no message.
    Q_PROPERTY(QString dataMessage READ dataMessage NOTIFY dataChanged)
    Q_PROPERTY(bool hasAPI READ hasAPI CONSTANT)
    // False when no sign-in service is configured: then the form can't sign in.
    Q_PROPERTY(bool canSignIn READ canSignIn CONSTANT)

public:
    enum class Phase { idle, sending, sentLink, failed };

    // The manager and the client (none without an account server) must outlive the model.
    AccountViewModel(AccountManager& manager, AccountAPI* api, QObject* parent = nullptr);

    QString email() const { return email_; }
    void setEmail(const QString& email);
    // The address, without blanks around it, looks like one: something, "@", something, a dot
    // and something, with no blank or second "@" anywhere.
    bool emailLooksValid() const;
    static QString trimBlanks(const QString& text);

    Phase phase() const { return phase_; }
    QString phaseRaw() const;
    QString phaseText() const { return phaseText_; }
    bool signedIn() const { return signedIn_; }
    bool dataBusy() const { return dataBusy_; }
    QString dataMessage() const { return dataMessage_; }
    bool hasAPI() const { return api_ != nullptr; }
    bool canSignIn() const;

    // Neither starts while someone is signed in: a link opened then would switch accounts
    // silently, and the first session would never end on the server.
    Q_INVOKABLE void sendLink();
    // Opens the service's Google sign-in page in the default browser.
    Q_INVOKABLE void continueWithGoogle();
    // Re-reads the account; once signed in, the form starts over. A sign-out or another account
    // clears the messages of the last one's attempts.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void signOut();
    // Fetches the export; when it arrives, the save dialog asks where it goes.
    Q_INVOKABLE void exportData();
    Q_INVOKABLE void deleteAccount();

signals:
    void emailChanged();
    void phaseChanged();
    void stateChanged();
    void dataChanged();
    // A sign-in by link or by Google has started: what the last attempt said no longer holds.
    void attemptStarted();

private:
    // A sign-in can start: the service is set up and nobody is signed in.
    bool maySignIn() const;
    void setPhase(Phase phase, const QString& text = {});
    void setData(bool busy, const QString& message);
    // The save dialog's answer: the chosen file, or nothing when cancelled.
    void saveExport(const QByteArray& bytes, const std::optional<QString>& path);

    AccountManager& manager_;
    AccountAPI* api_;
    QString email_;
    Phase phase_ = Phase::idle;
    QString phaseText_;
    bool signedIn_ = false;
    // The user signed in when last refreshed: the messages belong to that account.
    std::optional<QString> user_;
    bool dataBusy_ = false;
    QString dataMessage_;
};
