#pragma once
// The session store on the desktop's Secret Service (through QtKeychain): one secret per item
// under the store's service name. Each call waits for the secret service's answer.

#include "Account/SessionStore.h"

class KeychainSessionStore final : public SessionStore {
public:
    // "QUILLMARSH_ACCOUNT_SERVICE" names the service when set, so a second copy of the
    // application, or a test, keeps its own items.
    explicit KeychainSessionStore(QString service = defaultService());

    static QString defaultService();

protected:
    std::optional<QByteArray> read(const QString& item) override;
    void write(const QString& item, const QByteArray& bytes) override;
    void remove(const QString& item) override;

private:
    QString service_;
};
