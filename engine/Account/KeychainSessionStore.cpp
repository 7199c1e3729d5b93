#include "Account/KeychainSessionStore.h"

#include "Core/Log.h"
#include "Core/Settings.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

// Runs the job to its end. The secret service answers over D-Bus, which needs the event loop.
bool run(QKeychain::Job& job, const QString& what)
{
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (job.error() == QKeychain::NoError)
        return true;
    if (job.error() != QKeychain::EntryNotFound)
        Log::info(QStringLiteral("secret store: %1 %2 failed: %3").arg(what, job.key(), job.errorString()));
    return false;
}

}

KeychainSessionStore::KeychainSessionStore(QString service) : service_(std::move(service)) {}

QString KeychainSessionStore::defaultService()
{
    return Environment::value("QUILLMARSH_ACCOUNT_SERVICE").value_or(QStringLiteral("Quillmarsh"));
}

std::optional<QByteArray> KeychainSessionStore::read(const QString& item)
{
    QKeychain::ReadPasswordJob job(service_);
    job.setAutoDelete(false);
    job.setKey(item);
    if (!run(job, QStringLiteral("read")))
        return std::nullopt;
    return job.binaryData();
}

void KeychainSessionStore::write(const QString& item, const QByteArray& bytes)
{
    QKeychain::WritePasswordJob job(service_);
    job.setAutoDelete(false);
    job.setKey(item);
    job.setBinaryData(bytes);
    run(job, QStringLiteral("write"));
}

void KeychainSessionStore::remove(const QString& item)
{
    QKeychain::DeletePasswordJob job(service_);
    job.setAutoDelete(false);
    job.setKey(item);
    run(job, QStringLiteral("remove"));
}
