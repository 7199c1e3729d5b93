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
// Often enough that the count of seconds waited moves on each whole second.
constexpr auto slownessCheckInterval = std::chrono::milliseconds(250);

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

std::optional<QString> ModelInstaller::Installing::slowLine() const
{
    if (!slowSeconds)
        return std::nullopt;
    return QStringLiteral("The model host is slow: waited %1 s.").arg(*slowSeconds);
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
        installer_.received(bytes);
        const Clock::TimePoint now = installer_.clock_.now();
        if (lastReport_ && now - *lastReport_ <= reportInterval)
            return;
        lastReport_ = now;
        window_.emplace_back(now, done_);
        while (window_.size() >= 3 && now - window_.front().first > rateWindow)
            window_.pop_front();
        const double span = std::max(seconds(now - window_.front().first), shortestRateSpan);
        installer_.report(
            Installing{done_, total_, static_cast<double>(done_ - window_.front().second) / span, std::nullopt});
    }

private:
    ModelInstaller& installer_;
    qint64 done_;
    qint64 total_;
    std::deque<std::pair<Clock::TimePoint, qint64>> window_;
    std::optional<Clock::TimePoint> lastReport_;
};

// The run is waiting on the source while this lives.
class ModelInstaller::SourceWait {
public:
    explicit SourceWait(ModelInstaller& installer) : installer_(installer) { installer_.waitOnSource(true); }
    ~SourceWait() { installer_.waitOnSource(false); }
    SourceWait(const SourceWait&) = delete;
    SourceWait& operator=(const SourceWait&) = delete;

private:
    ModelInstaller& installer_;
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

ModelInstaller::~ModelInstaller()
{
    std::lock_guard lock(reportMutex_);
    if (tick_)
        tick_->cancel();
}

void ModelInstaller::install(ModelPackage package)
{
    if (job_.isRunning())
        return;
    if (ModelStore::isInstalled(package)) {
        job_.set(Installed{ModelStore::directory(package)});
        return;
    }
    {
        std::lock_guard lock(reportMutex_);
        watch_.end();
        latest_ = Installing{};
        runUnderWay_ = true;
        if (tick_)
            tick_->cancel();
        tick_ = clock_.schedule(slownessCheckInterval, [this] { tick(); });
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
        const std::vector<ModelFile> files = [this, package] {
            const SourceWait waiting(*this);
            return source_->files(package, [this] { return job_.stopRequested(); });
        }();
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
            const std::optional<QString> fetchedDigest = [&] {
                const SourceWait waiting(*this);
                return source_->fetch(
                    file, package, destination, stagedBytes(staging, file),
                    [&progress](qint64 bytes) { progress.add(bytes); }, [this] { return job_.stopRequested(); });
            }();
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
        finish(Installed{target});
    } catch (const ModelInstallError& error) {
        Log::info(QStringLiteral("model install failed: ") + error.description());
        finish(Failed{error});
    } catch (const std::exception& error) {
        const ModelInstallError failure = ModelInstallError::copyFailed(QString::fromUtf8(error.what()));
        Log::info(QStringLiteral("model install failed: ") + failure.description());
        finish(Failed{failure});
    }
}

void ModelInstaller::report(Installing progress)
{
    std::lock_guard lock(reportMutex_);
    progress.slowSeconds = watch_.slowSeconds();
    latest_ = progress;
    job_.set(latest_);
}

void ModelInstaller::received(qint64 bytes)
{
    std::lock_guard lock(reportMutex_);
    watch_.received(bytes);
}

void ModelInstaller::waitOnSource(bool waiting)
{
    std::lock_guard lock(reportMutex_);
    if (waiting)
        watch_.begin();
    else
        watch_.end();
    reportSlowness();
}

// Under the lock, so no slowness report can follow the outcome.
void ModelInstaller::finish(State outcome)
{
    std::lock_guard lock(reportMutex_);
    watch_.end();
    runUnderWay_ = false;
    job_.set(std::move(outcome));
}

void ModelInstaller::reportSlowness()
{
    const std::optional<int> slowSeconds = watch_.slowSeconds();
    if (slowSeconds == latest_.slowSeconds)
        return;
    latest_.slowSeconds = slowSeconds;
    job_.set(latest_);
}

void ModelInstaller::tick()
{
    std::lock_guard lock(reportMutex_);
    if (!runUnderWay_)
        return;
    reportSlowness();
    tick_ = clock_.schedule(slownessCheckInterval, [this] { tick(); });
}
