#include "Punctuation/PunctuationInstaller.h"

#include "Core/PrivateFolder.h"
#include "Models/ModelInstallError.h"
#include "Models/ModelStore.h"
#include "Punctuation/PunctuationStore.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

// A file-system failure in the system's own words, naming the path it concerns.
Error fileSystemError(const QString& path, const std::error_code& code)
{
    return Error(path + QStringLiteral(": ") + QString::fromStdString(code.message()));
}

}

PunctuationInstaller::PunctuationInstaller(std::shared_ptr<ModelSource> source, QString directory)
    : source_(std::move(source)), directory_(std::move(directory))
{
}

void PunctuationInstaller::install()
{
    if (job_.isRunning())
        return;
    if (PunctuationStore::isInstalled()
        && QDir::cleanPath(directory_) == QDir::cleanPath(PunctuationStore::directory())) {
        job_.set(Installed{});
        return;
    }
    job_.start([this] { run(); });
}

void PunctuationInstaller::stop()
{
    job_.stop();
}

void PunctuationInstaller::run()
{
    try {
        const std::vector<ModelFile> files = source_->punctuationFiles([this] { return job_.stopRequested(); });
        // The names come from the model host: each must stay inside the folder it is written
        // to, checked before anything is written.
        requirePlainFileNames(files);
        qint64 total = 0;
        for (const ModelFile& file : files)
            total += file.size;

        const QString staging = directory_ + QStringLiteral("/.staging");
        if (const auto failure = makePrivateFolder(staging))
            throw Error(*failure);

        // Progress arrives from the download's network thread, one report at a time.
        std::atomic<qint64> done = 0;
        for (const ModelFile& file : files) {
            const QString staged = staging + u'/' + file.name;
            const QFileInfo existing(staged);
            const qint64 have = existing.exists() ? std::min(existing.size(), file.size) : 0;
            done += have;
            source_->fetchPunctuation(
                file, staged,
                [this, &done, total](qint64 bytes) {
                    job_.set(Installing{done += bytes, total});
                },
                [this] { return job_.stopRequested(); });

            const QFileInfo fetched(staged);
            const bool sizeMatches = fetched.exists() && fetched.size() == file.size;
            // Hashing errors end the run but keep the staged file for the next one.
            if (!sizeMatches || !file.sha256 || ModelStore::sha256(staged) != *file.sha256) {
                QFile::remove(staged);
                throw ModelInstallError::verifyFailed(file.name);
            }
        }

        // The model file goes last: its arrival is what makes the model count as installed.
        std::vector<ModelFile> order = files;
        std::stable_partition(order.begin(), order.end(),
                              [](const ModelFile& file) { return file.name != PunctuationStore::modelFile; });
        std::error_code code;
        for (const ModelFile& file : order) {
            const QString target = directory_ + u'/' + file.name;
            if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
                std::filesystem::remove_all(fsPath(target), code);
                if (code)
                    throw fileSystemError(target, code);
            }
            std::filesystem::rename(fsPath(staging + u'/' + file.name), fsPath(target), code);
            if (code)
                throw fileSystemError(target, code);
        }
        std::filesystem::remove_all(fsPath(staging), code);
        job_.set(Installed{});
    } catch (const Error& error) {
        job_.set(Failed{error.description()});
    } catch (const std::exception& error) {
        job_.set(Failed{QString::fromUtf8(error.what())});
    }
}
