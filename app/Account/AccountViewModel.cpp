#include "Account/AccountViewModel.h"

#include "Account/AccountAPI.h"
#include "Account/AccountManager.h"
#include "Account/SaveFilePrompt.h"
#include "Core/AtomicFile.h"
#include "Core/Log.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

std::optional<QString> userOf(const AccountManager& manager)
{
    return manager.state() ? std::optional(manager.state()->userID) : std::nullopt;
}

// What failed and why, without the token or the account's data.
void logFailure(const QString& what, const AccountAPIError& error)
{
    Log::info(what + error.description()
              + (error.detail().isEmpty() ? QString() : QStringLiteral(" (") + error.detail() + u')'));
}

}

AccountViewModel::AccountViewModel(AccountManager& manager, AccountAPI* api, QObject* parent)
    : QObject(parent), manager_(manager), api_(api), signedIn_(manager.state().has_value()), user_(userOf(manager))
{
}

void AccountViewModel::setEmail(const QString& email)
{
    if (email_ == email)
        return;
    email_ = email;
    emit emailChanged();
}

QString AccountViewModel::trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

bool AccountViewModel::emailLooksValid() const
{
    static const QRegularExpression pattern(QStringLiteral("^[^\\s@]+@[^\\s@]+\\.[^\\s@]+$"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern.match(trimBlanks(email_)).hasMatch();
}

QString AccountViewModel::phaseRaw() const
{
    switch (phase_) {
    case Phase::idle:
        return QStringLiteral("idle");
    case Phase::sending:
        return QStringLiteral("sending");
    case Phase::sentLink:
        return QStringLiteral("sentLink");
    case Phase::failed:
        return QStringLiteral("failed");
    }
    return {};
}

void AccountViewModel::setPhase(Phase phase, const QString& text)
{
    if (phase_ == phase && phaseText_ == text)
        return;
    phase_ = phase;
    phaseText_ = text;
    emit phaseChanged();
}

void AccountViewModel::setData(bool busy, const QString& message)
{
    if (dataBusy_ == busy && dataMessage_ == message)
        return;
    dataBusy_ = busy;
    dataMessage_ = message;
    emit dataChanged();
}

bool AccountViewModel::canSignIn() const
{
    return manager_.canSignIn();
}

bool AccountViewModel::maySignIn() const
{
    return canSignIn() && !manager_.state();
}

void AccountViewModel::sendLink()
{
    if (!maySignIn() || !emailLooksValid() || phase_ == Phase::sending)
        return;
    const QString address = trimBlanks(email_);
    setPhase(Phase::sending);
    emit attemptStarted();
    const QPointer<AccountViewModel> self(this);
    manager_.beginEmail(address, [self, address](std::optional<AuthError> error) {
        if (!self)
            return;
        if (error)
            self->setPhase(Phase::failed, error->description());
        else
            self->setPhase(Phase::sentLink, address);
    });
}

void AccountViewModel::continueWithGoogle()
{
    if (!maySignIn())
        return;
    setPhase(Phase::idle);
    emit attemptStarted();
    QDesktopServices::openUrl(manager_.beginGoogle());
}

void AccountViewModel::refresh()
{
    const bool signedIn = manager_.state().has_value();
    if (signedIn != signedIn_) {
        signedIn_ = signedIn;
        emit stateChanged();
    }
    if (signedIn) {
        setPhase(Phase::idle);
        setEmail(QString());
    }
    const std::optional<QString> user = userOf(manager_);
    if (user != user_) {
        user_ = user;
        setPhase(Phase::idle);
        if (!dataBusy_)
            setData(false, QString());
    }
}

void AccountViewModel::signOut()
{
    const QPointer<AccountViewModel> self(this);
    manager_.signOut([self] {
        if (self)
            self->refresh();
    });
}

void AccountViewModel::exportData()
{
    if (!api_ || dataBusy_)
        return;
    setData(true, QString());
    const QPointer<AccountViewModel> self(this);
    api_->exportData([self](const AccountAPI::ExportResult& result) {
        if (!self)
            return;
        if (const auto* error = std::get_if<AccountAPIError>(&result)) {
            logFailure(QStringLiteral("account export failed: "), *error);
            self->setData(false, error->description());
            return;
        }
        const SaveFilePrompt::Request request{
            QStringLiteral("Download my data"), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
            QStringLiteral("quillmarsh-account-data.json"), QStringLiteral("JSON (*.json)"), QStringLiteral("json")};
        SaveFilePrompt::ask(request, [self, bytes = std::get<QByteArray>(result)](const std::optional<QString>& path) {
            if (self)
                self->saveExport(bytes, path);
        });
    });
}

void AccountViewModel::saveExport(const QByteArray& bytes, const std::optional<QString>& path)
{
    if (!path) {
        setData(false, QString());
        return;
    }
    const auto failure = writeFileAtomically(*path, bytes);
    if (failure)
        Log::info(QStringLiteral("account export not saved: ") + *failure);
    setData(false, failure ? QStringLiteral("Couldn\u2019t save the file.")
                           : QStringLiteral("Saved to ") + QFileInfo(*path).fileName() + QStringLiteral("."));
}

void AccountViewModel::deleteAccount()
{
    if (!api_ || dataBusy_)
        return;
    setData(true, QString());
    const QPointer<AccountViewModel> self(this);
    api_->deleteAccount([self, manager = &manager_](std::optional<AccountAPIError> error) {
        if (error) {
            logFailure(QStringLiteral("account deletion failed: "), *error);
            if (self)
                self->setData(false, error->description());
            return;
        }
        // The account is gone from the server: sign out here even when the page has closed.
        manager->signOut([self] {
            if (!self)
                return;
            self->refresh();
            self->setData(false, QString());
        });
    });
}
