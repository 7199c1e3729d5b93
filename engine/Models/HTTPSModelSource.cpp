#include "HTTPSModelSource.h"

#include "Core/HttpCall.h"
#include "Core/SafeRedirects.h"
#include "FileTransfer.h"
#include "ModelInstallError.h"
#include "ModelStore.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>

#include <future>

namespace {

constexpr int manifestTries = 3;
constexpr qint64 mebibyte = 1024 * 1024;

// The address of a path below the base: appended to the base's path, never resolved as a
// reference, so a blob path can't leave the base or swap the host.
QUrl appending(QUrl base, const QString& relativePath)
{
    QString path = base.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    QString relative = relativePath;
    while (relative.startsWith(u'/'))
        relative.remove(0, 1);
    base.setPath(path + relative, QUrl::DecodedMode);
    return base;
}

// Waits for the reply, polling `cancelled`: a stop asked for while a host trickles ends the wait at
// once (the abandoned reply ends on the network thread within its bounds).
HttpOutcome get(NetworkThread& network, const QUrl& url, const ReplyBounds& bounds,
                const ModelSource::Cancelled& cancelled)
{
    auto done = std::make_shared<std::promise<HttpOutcome>>();
    std::future<HttpOutcome> answer = done->get_future();
    network.post([done, url, bounds](QNetworkAccessManager& manager) {
        performHttp(
            manager,
            [url](QNetworkAccessManager& session) { return SafeRedirects::get(session, QNetworkRequest(url)); }, bounds,
            [done](const HttpOutcome& outcome) { done->set_value(outcome); });
    });
    while (answer.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (cancelled())
            throw ModelInstallError::cancelled();
    }
    return answer.get();
}

qint64 sizeOnDisk(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

}

HTTPSModelSource::HTTPSModelSource(QUrl base, ModelFamily family, int attempts, RetryPause pause,
                                   const ReplyBounds& manifest, const ReplyBounds& file)
    : base_(std::move(base)), family_(family), attempts_(attempts), pause_(std::move(pause)), manifestBounds_(manifest),
      fileBounds_(file)
{
}

QString HTTPSModelSource::name() const
{
    const QString host = base_.host();
    return QStringLiteral("download (") + (host.isEmpty() ? base_.toString() : host) + u')';
}

ModelManifest HTTPSModelSource::loadManifest(const Cancelled& cancelled)
{
    {
        std::lock_guard lock(mutex_);
        if (manifest_)
            return *manifest_;
    }
    QString lastFailure;
    for (int attempt = 0; attempt < manifestTries; ++attempt) {
        if (attempt > 0) {
            pause_(std::chrono::seconds(attempt), cancelled);
            if (cancelled())
                throw ModelInstallError::cancelled();
        }
        const HttpOutcome outcome =
            get(network_, appending(base_, QStringLiteral("manifest.json")), manifestBounds_, cancelled);
        if (const auto* failed = std::get_if<HttpFailure>(&outcome)) {
            lastFailure = failed->message;
            continue;
        }
        const HttpReply& reply = std::get<HttpReply>(outcome);
        if (reply.status != 200 || reply.body.isEmpty()) {
            lastFailure = QStringLiteral("HTTP ") + QString::number(reply.status);
            continue;
        }
        std::optional<ModelManifest> manifest = ModelManifest::decoded(reply.body);
        if (!manifest) {
            lastFailure = QStringLiteral("unreadable manifest");
            continue;
        }
        if (manifest->schema != 1)
            throw ModelInstallError::sourceMissing(QStringLiteral("manifest schema ")
                                                   + QString::number(manifest->schema));
        std::lock_guard lock(mutex_);
        manifest_ = std::move(manifest);
        return *manifest_;
    }
    throw ModelInstallError::copyFailed(QStringLiteral("the model list couldn't be fetched: ") + lastFailure);
}

void HTTPSModelSource::recordBlobs(const QString& keyPrefix, const std::vector<ModelManifest::File>& files)
{
    std::lock_guard lock(mutex_);
    for (const ModelManifest::File& file : files)
        blobs_.insert(keyPrefix + file.name, file.blob);
}

std::vector<ModelFile> HTTPSModelSource::files(ModelPackage package, const Cancelled& cancelled)
{
    const ModelManifest manifest = loadManifest(cancelled);
    const auto family = manifest.families.constFind(family_.rawValue());
    const auto listed = family == manifest.families.cend() ? nullptr : &family->packages;
    if (!listed || !listed->contains(package.rawValue()))
        throw ModelInstallError::sourceMissing(family_.rawValue() + u'/' + package.rawValue()
                                               + QStringLiteral(" in the manifest"));
    const std::vector<ModelManifest::File>& entries = listed->value(package.rawValue()).files;

    QStringList wanted = ModelStore::requiredFiles();
    wanted << QStringLiteral("LICENSE") << QStringLiteral("NOTICE");
    std::vector<ModelManifest::File> selected;
    for (const QString& name : wanted) {
        const auto entry =
            std::find_if(entries.begin(), entries.end(), [&](const auto& file) { return file.name == name; });
        if (entry != entries.end())
            selected.push_back(*entry);
        else if (ModelStore::requiredFiles().contains(name))
            throw ModelInstallError::sourceMissing(name + QStringLiteral(" in the manifest"));
    }
    recordBlobs(package.rawValue() + u'/', selected);

    std::vector<ModelFile> result;
    result.reserve(selected.size());
    for (const ModelManifest::File& file : selected)
        result.push_back(ModelFile{file.name, file.size, file.sha256});
    return result;
}

std::vector<ModelFile> HTTPSModelSource::punctuationFiles(const Cancelled& cancelled)
{
    const ModelManifest manifest = loadManifest(cancelled);
    if (!manifest.punctuation)
        throw ModelInstallError::sourceMissing(QStringLiteral("the punctuation model in the manifest"));
    for (const ModelManifest::File& file : manifest.punctuation->files) {
        if (!isPlainFileName(file.name))
            throw ModelInstallError::copyFailed(QStringLiteral("unsafe file name in the manifest: ") + file.name);
    }
    recordBlobs(QStringLiteral("punctuation/"), manifest.punctuation->files);
    std::vector<ModelFile> result;
    for (const ModelManifest::File& file : manifest.punctuation->files)
        result.push_back(ModelFile{file.name, file.size, file.sha256});
    return result;
}

std::optional<QString> HTTPSModelSource::fetch(const ModelFile& file, ModelPackage package, const QString& destination,
                                               qint64, const Progress& progress, const Cancelled& cancelled)
{
    download(package.rawValue() + u'/' + file.name, file, destination, progress, cancelled);
    return std::nullopt;
}

void HTTPSModelSource::fetchPunctuation(const ModelFile& file, const QString& destination, const Progress& progress,
                                        const Cancelled& cancelled)
{
    download(QStringLiteral("punctuation/") + file.name, file, destination, progress, cancelled);
}

void HTTPSModelSource::download(const QString& key, const ModelFile& file, const QString& destination,
                                const Progress& progress, const Cancelled& cancelled)
{
    QString blob;
    {
        std::lock_guard lock(mutex_);
        const auto found = blobs_.constFind(key);
        if (found == blobs_.cend())
            throw ModelInstallError::sourceMissing(key);
        blob = *found;
    }
    const QUrl address = appending(base_, blob);
    {
        QFile created(destination);
        if (!created.exists() && !created.open(QIODevice::WriteOnly))
            throw ModelInstallError::copyFailed(file.name + QStringLiteral(": can't write the file: ")
                                                + created.errorString());
    }

    QString lastFailure;
    for (int attempt = 0; attempt < attempts_; ++attempt) {
        if (cancelled())
            throw ModelInstallError::cancelled();
        if (attempt > 0) {
            pause_(std::chrono::seconds(std::min(1 << attempt, 20)), cancelled);
            if (cancelled())
                throw ModelInstallError::cancelled();
        }
        qint64 start = sizeOnDisk(destination);
        if (start == file.size)
            return;
        if (start > file.size) {
            QFile::remove(destination);
            QFile(destination).open(QIODevice::WriteOnly);
            start = 0;
        }
        QNetworkRequest request(address);
        // Sizes and ranges count the file's own bytes, so no compression in between.
        request.setRawHeader("Accept-Encoding", "identity");
        if (start > 0)
            request.setRawHeader("Range", "bytes=" + QByteArray::number(start) + '-');

        ReplyBounds bounds = fileBounds_;
        bounds.maxBytes = file.size - start;
        bounds.overall += overallPerMebibyte * (bounds.maxBytes / mebibyte);
        const FileTransfer::Outcome outcome =
            FileTransfer::run(network_, request, bounds, destination, start, progress, cancelled);
        // Asking again can't make the server's file longer: the installer's size check reports it.
        if (outcome.serverFileSize && *outcome.serverFileSize < file.size
            && outcome.kind != FileTransfer::Outcome::Kind::cancelled)
            return;
        switch (outcome.kind) {
        case FileTransfer::Outcome::Kind::cancelled:
            throw ModelInstallError::cancelled();
        case FileTransfer::Outcome::Kind::failed:
            if (!outcome.retry)
                throw ModelInstallError::copyFailed(file.name + QStringLiteral(": ") + outcome.message);
            // Starting over says less of what went wrong than the failure that made it needed.
            if (!outcome.startOver || lastFailure.isEmpty())
                lastFailure = outcome.message;
            break;
        case FileTransfer::Outcome::Kind::done:
            // A connection closed cleanly before the end leaves a partial file to resume, not a
            // finished one; an oversized file is the installer's to refuse.
            if (sizeOnDisk(destination) >= file.size)
                return;
            lastFailure = QStringLiteral("the transfer ended early");
            break;
        }
    }
    throw ModelInstallError::copyFailed(file.name + QStringLiteral(": ") + lastFailure);
}
