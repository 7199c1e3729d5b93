#include "ModelInstaller.h"

#include "Core/AtomicFile.h"
#include "Core/Log.h"
#include "Core/PrivateFolder.h"
#include "InstallRecord.h"
#include "ModelFamily.h"
#include "ModelStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <deque>

namespace {

constexpr qint64 spaceMargin = 64 * 1024 * 1024;
constexpr auto reportInterval = std::chrono::milliseconds(100);
constexpr auto rateWindow = std::chrono::milliseconds(2000);
constexpr double shortestRateSpan = 0.05;

qint64 sizeOnDisk(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

qint64 stagedBytes(const QString& staging, const ModelFile& file)
{
    return std::min(sizeOnDisk(staging + u'/' + file.name), file.size);
}

}

std::optional<double> ModelInstaller::Installing::secondsLeft() const
{
    if (bytesPerSecond <= 0 || total <= 0)
        return std::nullopt;
    return static_cast<double>(std::max<qint64>(total - done, 0)) / bytesPerSecond;
}

// The bytes done and the recent rate, reported at most every 0.1 s. Called by the source one
// call at a time, on whatever thread it reports from.
class ModelInstaller::Progress {
public:
    Progress(ModelInstaller& installer, qint64 have, qint64 total)
        : installer_(installer), done_(have), total_(total), window_{{installer.clock_.now(), have}}
    {
    }

    qint64 done() const { return done_; }

    void restartRate() { window_.assign(1, {installer_.clock_.now(), done_}); }

    void add(qint64 bytes)
    {
        done_ += bytes;
        const Clock::TimePoint now = installer_.clock_.now();
        if (lastReport_ && now - *lastReport_ <= reportInterval)
            return;
        lastReport_ = now;
        window_.emplace_back(now, done_);
        while (window_.size() >= 3 && now - window_.front().first > rateWindow)
            window_.pop_front();
        const double span = std::max(seconds(now - window_.front().first), shortestRateSpan);
        installer_.job_.set(Installing{done_, total_, static_cast<double>(done_ - window_.front().second) / span});
    }

private:
    ModelInstaller& installer_;
    qint64 done_;
    qint64 total_;
    std::deque<std::pair<Clock::TimePoint, qint64>> window_;
    std::optional<Clock::TimePoint> lastReport_;
};

std::optional<qint64> ModelInstaller::volumeFreeSpace(const QString& folder)
{
    const QStorageInfo volume(folder);
    if (!volume.isValid() || !volume.isReady())
        return std::nullopt;
    return volume.bytesAvailable();
}

ModelInstaller::ModelInstaller(std::shared_ptr<ModelSource> source, Clock& clock, FreeSpace freeSpace)
    : source_(std::move(source)), clock_(clock), freeSpace_(std::move(freeSpace))
{
}

void ModelInstaller::install(ModelPackage package)
{
    if (job_.isRunning())
        return;
    if (ModelStore::isInstalled(package)) {
        job_.set(Installed{ModelStore::directory(package)});
        return;
    }
    job_.start([this, package] { run(package); });
}

void ModelInstaller::stop()
{
    job_.stop();
}

void ModelInstaller::run(ModelPackage package)
{
    try {
        if (job_.stopRequested())
            throw ModelInstallError::cancelled();
        const std::vector<ModelFile> files = source_->files(package);
        // Checked before anything is written, so a hostile list can't place a file elsewhere.
        requirePlainFileNames(files);
        qint64 total = 0;
        for (const ModelFile& file : files)
            total += file.size;

        const QString storeName = ModelFamily::current().storeName(package);
        const QString staging = ModelStore::stagingRoot() + u'/' + storeName;
        if (const auto failure = makePrivateFolder(staging))
            throw ModelInstallError::copyFailed(*failure);

        qint64 have = 0;
        for (const ModelFile& file : files)
            have += stagedBytes(staging, file);
        const qint64 needed = total - have + spaceMargin;
        if (const std::optional<qint64> available = freeSpace_(QFileInfo(ModelStore::root()).path());
            available && *available < needed)
            throw ModelInstallError::noSpace(needed, *available);

        Progress progress(*this, have, total);
        InstallRecord record;
        for (const ModelFile& file : files) {
            const QString destination = staging + u'/' + file.name;
            const std::optional<QString> fetchedDigest = source_->fetch(
                file, package, destination, stagedBytes(staging, file),
                [&progress](qint64 bytes) { progress.add(bytes); }, [this] { return job_.stopRequested(); });
            progress.restartRate();

            const QFileInfo fetched(destination);
            if (!fetched.exists() || fetched.size() != file.size) {
                QFile::remove(destination);
                throw ModelInstallError::verifyFailed(file.name);
            }
            const QString digest = ModelStore::sha256(destination);
            const std::optional<QString> expected = file.sha256 ? file.sha256 : fetchedDigest;
            if (expected && *expected != digest) {
                QFile::remove(destination);
                throw ModelInstallError::verifyFailed(file.name);
            }
            record.files.append(InstallRecord::File{file.name, file.size, digest});
        }

        record.package = package.rawValue();
        record.source = source_->name();
        record.installedAt = QDateTime::currentDateTimeUtc();
        if (const auto failure = writeFileAtomically(staging + QStringLiteral("/.installed.json"), record.encoded()))
            throw ModelInstallError::copyFailed(*failure);

        const QString target = ModelStore::root() + u'/' + storeName;
        const QFileInfo old(target);
        if (old.exists() && !(old.isDir() ? QDir(target).removeRecursively() : QFile::remove(target)))
            throw ModelInstallError::copyFailed(QStringLiteral("can't remove the old folder ") + target);
        if (!QDir().rename(staging, target))
            throw ModelInstallError::copyFailed(QStringLiteral("can't move the model into ") + target);
        job_.set(Installed{target});
    } catch (const ModelInstallError& error) {
        Log::info(QStringLiteral("model install failed: ") + error.description());
        job_.set(Failed{error});
    } catch (const std::exception& error) {
        const ModelInstallError failure = ModelInstallError::copyFailed(QString::fromUtf8(error.what()));
        Log::info(QStringLiteral("model install failed: ") + failure.description());
        job_.set(Failed{failure});
    }
}
