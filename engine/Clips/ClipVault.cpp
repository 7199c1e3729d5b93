#include "Clips/ClipVault.h"

#include "Core/AppFolders.h"
#include "Core/PrivateFolder.h"
#include "Core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

constexpr qsizetype minimumSamples = 4800;  // 0.3 s
const QString extension = QStringLiteral("flac");

// Closes the file descriptor it was given.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() { ::close(descriptor_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

private:
    int descriptor_;
};

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

ClipVault::ClipVault(QString folder) : folder_(std::move(folder)) {}

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
    const QStringList names = QDir(folder_).entryList({QStringLiteral("*.") + extension}, QDir::Files | QDir::Hidden);
    return !names.isEmpty();
}

QString ClipVault::save(std::span<const float> samples, const QUuid& id)
{
    if (static_cast<qsizetype>(samples.size()) < minimumSamples)
        throw ClipError::encoding(QStringLiteral("too short"));
    if (const auto failure = makePrivateFolder(folder_))
        throw Error(*failure);
    const QString path = url(id);
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());

    const auto fail = [&](const QString& reason) {
        ::unlink(name.constData());
        return ClipError::encoding(reason);
    };
    // Private from the first byte, not only once the recording is complete.
    const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    const Descriptor owner(descriptor);
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SoundFile file(sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE));
    if (!file.get())
        throw fail(QString::fromUtf8(sf_strerror(nullptr)));
    // Loud samples saturate at full scale instead of wrapping round to the opposite sign.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto count = static_cast<sf_count_t>(samples.size());
    if (sf_writef_float(file.get(), samples.data(), count) != count)
        throw fail(QString::fromUtf8(sf_strerror(file.get())));
    if (const int status = file.close(); status != SF_ERR_NO_ERROR)
        throw fail(QString::fromUtf8(sf_error_number(status)));
    return path;
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

void ClipVault::remove(const QUuid& id) const
{
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
