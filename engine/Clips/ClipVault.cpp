#include "Clips/ClipVault.h"

#include "Core/AppFolders.h"
#include "Core/AtomicFile.h"
#include "Core/Log.h"
#include "Core/Settings.h"
#include "Core/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr qsizetype minimumSamples = 4800;  // 0.3 s
constexpr qint64 leftoverSeconds = 600;
const QString extension = QStringLiteral("flac");

class SoundFile {
public:
    explicit SoundFile(SNDFILE* file) : file_(file) {}
    ~SoundFile()
    {
        if (file_)
            sf_close(file_);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    SNDFILE* get() const { return file_; }
    // Finishes the file; the encoder writes its last block here, so this can fail too.
    int close()
    {
        const int status = sf_close(file_);
        file_ = nullptr;
        return status;
    }

private:
    SNDFILE* file_;
};

// libsndfile's view of a byte array that grows as it writes.
struct MemoryFile {
    QByteArray bytes;
    sf_count_t position = 0;

    static MemoryFile& of(void* user) { return *static_cast<MemoryFile*>(user); }
};

SF_VIRTUAL_IO memoryIO()
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return MemoryFile::of(user).bytes.size(); };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        MemoryFile& file = MemoryFile::of(user);
        const sf_count_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.bytes.size() : 0;
        if (base + offset < 0)
            return -1;
        file.position = base + offset;
        return file.position;
    };
    io.read = [](void* data, sf_count_t count, void* user) -> sf_count_t {
        MemoryFile& file = MemoryFile::of(user);
        const sf_count_t available = std::clamp<sf_count_t>(file.bytes.size() - file.position, 0, count);
        std::memcpy(data, file.bytes.constData() + file.position, static_cast<size_t>(available));
        file.position += available;
        return available;
    };
    io.write = [](const void* data, sf_count_t count, void* user) -> sf_count_t {
        MemoryFile& file = MemoryFile::of(user);
        if (file.position + count > file.bytes.size())
            file.bytes.resize(file.position + count);
        std::memcpy(file.bytes.data() + file.position, data, static_cast<size_t>(count));
        file.position += count;
        return count;
    };
    io.tell = [](void* user) -> sf_count_t { return MemoryFile::of(user).position; };
    return io;
}

// The samples as a 16-bit FLAC file; throws ClipError::encoding when the encoder fails.
QByteArray encodeFlac(std::span<const float> samples)
{
    MemoryFile memory;
    SF_VIRTUAL_IO io = memoryIO();
    SF_INFO info{};
    info.samplerate = static_cast<int>(ClipVault::sampleRate);
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SoundFile file(sf_open_virtual(&io, SFM_WRITE, &info, &memory));
    if (!file.get())
        throw ClipError::encoding(QString::fromUtf8(sf_strerror(nullptr)));
    // Loud samples saturate at full scale instead of wrapping round to the opposite sign.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto count = static_cast<sf_count_t>(samples.size());
    if (sf_writef_float(file.get(), samples.data(), count) != count)
        throw ClipError::encoding(QString::fromUtf8(sf_strerror(file.get())));
    if (const int status = file.close(); status != SF_ERR_NO_ERROR)
        throw ClipError::encoding(QString::fromUtf8(sf_error_number(status)));
    return memory.bytes;
}

// The first channel of the whole file, or nothing when it can't be read.
std::vector<float> readFirstChannel(const QString& path, SF_INFO& info)
{
    info = {};
    SoundFile file(sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file.get() || info.frames < 1 || info.channels < 1)
        return {};
    std::vector<float> frames(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t read = sf_readf_float(file.get(), frames.data(), info.frames);
    if (read < 1)
        return {};
    std::vector<float> first(static_cast<size_t>(read));
    for (sf_count_t i = 0; i < read; ++i)
        first[static_cast<size_t>(i)] = frames[static_cast<size_t>(i * info.channels)];
    return first;
}

}

QString ClipVault::defaultFolder()
{
    if (const auto folder = Environment::value("QUILLMARSH_CLIPS"))
        return Environment::expandTilde(*folder);
    return AppFolders::data() + QStringLiteral("/clips");
}

ClipVault::ClipVault(QString folder, Writer writer) : folder_(std::move(folder)), writer_(std::move(writer))
{
    if (!writer_)
        writer_ = [](const QString& path, const QByteArray& bytes, int* error) {
            return writeFileAtomically(path, bytes, error);
        };
}

QString ClipVault::url(const QUuid& id) const
{
    return folder_ + u'/' + id.toString(QUuid::WithoutBraces).toUpper() + u'.' + extension;
}

bool ClipVault::has(const QUuid& id) const
{
    return QFileInfo::exists(url(id));
}

bool ClipVault::holdsAny() const
{
    const QFileInfo place(folder_);
    if (place.exists() && !(place.isDir() && place.isReadable()))
        return true;
    const QStringList names = QDir(folder_).entryList({QStringLiteral("*.") + extension}, QDir::Files | QDir::Hidden);
    return !names.isEmpty();
}

QString ClipVault::save(std::span<const float> samples, const QUuid& id)
{
    // Too short to be worth keeping is no failure to tell.
    if (static_cast<qsizetype>(samples.size()) < minimumSamples)
        throw ClipError::encoding(QStringLiteral("too short"));
    const auto wasRemoved = [this, &id] { return removed_.contains(id); };
    if (const std::lock_guard lock(mutex_); wasRemoved())
        return {};
    try {
        QString path = url(id);
        int error = 0;
        if (const auto failure = writer_(path, encodeFlac(samples), &error))
            throw ClipError::encoding(error != 0 ? systemErrorText(error) : *failure);
        const std::lock_guard lock(mutex_);
        // Removed while it was written: what was written goes too.
        if (wasRemoved()) {
            QFile::remove(path);
            return {};
        }
        failures_.remove(id);
        return path;
    } catch (const ClipError& error) {
        const std::lock_guard lock(mutex_);
        // Nothing to tell of a recording whose entry is gone.
        if (wasRemoved())
            return {};
        failures_.insert(id, error.reason());
        throw;
    }
}

std::optional<QString> ClipVault::failure(const QUuid& id) const
{
    const std::lock_guard lock(mutex_);
    if (const auto found = failures_.constFind(id); found != failures_.cend())
        return *found;
    return std::nullopt;
}

void ClipVault::removeLeftovers() const
{
    // A save under way in another instance is seconds old at most.
    const QDateTime cutShort = QDateTime::currentDateTimeUtc().addSecs(-leftoverSeconds);
    const auto ours = [](const QString& name) { return name.endsWith(u'.' + extension); };
    for (const QString& leftover : leftoverTemporaries(folder_, ours)) {
        if (QFileInfo(leftover).lastModified() < cutShort && QFile::remove(leftover))
            Log::info(QStringLiteral("removed %1, left by a save cut short").arg(QFileInfo(leftover).fileName()));
    }
}

QByteArray ClipVault::data(const QUuid& id) const
{
    QFile file(url(id));
    if (!file.open(QIODevice::ReadOnly))
        throw ClipError::missing();
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ClipError::missing();
    return bytes;
}

void ClipVault::remove(const QUuid& id)
{
    const std::lock_guard lock(mutex_);
    removed_.insert(id);
    failures_.remove(id);
    QFile::remove(url(id));
}

void ClipVault::removeAll() const
{
    const QDir dir(folder_);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.suffix() == extension)
            QFile::remove(entry.filePath());
    }
}

int ClipVault::purge(int olderThanDays, const QDateTime& now) const
{
    const QDateTime cutoff = now.addSecs(-static_cast<qint64>(olderThanDays) * 86400);
    const QDir dir(folder_);
    if (!dir.exists())
        return 0;
    int tried = 0;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.suffix() != extension)
            continue;
        const QDateTime modified = entry.lastModified();
        // A date that can't be read counts as long ago.
        if (!modified.isValid() || modified < cutoff) {
            QFile::remove(entry.filePath());
            ++tried;
        }
    }
    return tried;
}

std::vector<float> ClipVault::waveform(const QUuid& id, int bins) const
{
    if (bins < 1)
        return {};
    SF_INFO info;
    const std::vector<float> samples = readFirstChannel(url(id), info);
    if (samples.empty())
        return {};
    const auto n = static_cast<qint64>(samples.size());
    std::vector<float> peaks(static_cast<size_t>(bins), 0.0f);
    for (qint64 bin = 0; bin < bins; ++bin) {
        const qint64 start = bin * n / bins;
        const qint64 end = std::min(std::max((bin + 1) * n / bins, start + 1), n);
        for (qint64 i = start; i < end; ++i)
            peaks[static_cast<size_t>(bin)] =
                std::max(peaks[static_cast<size_t>(bin)], std::fabs(samples[static_cast<size_t>(i)]));
    }
    const float loudest = std::max(*std::max_element(peaks.begin(), peaks.end()), 0.05f);
    for (float& peak : peaks)
        peak = std::min(peak / loudest, 1.0f);
    return peaks;
}

double ClipVault::seconds(const QUuid& id) const
{
    SF_INFO info{};
    SoundFile file(sf_open(QFile::encodeName(url(id)).constData(), SFM_READ, &info));
    if (!file.get() || info.samplerate <= 0)
        return 0.0;
    return static_cast<double>(info.frames) / info.samplerate;
}
